#!/usr/bin/env bash
# The automation interfaces' introspection files (resources/dbus/interfaces/,
# installed to share/dbus-1/interfaces/) say exactly what the running plug-in
# serves: served_interfaces.py compares them member by member.
#   interfaces.sh BIN_DIR DBUS_DIR
set -euo pipefail
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_bus "$@"
interfaces="$e2e_here/../../resources/dbus/interfaces"

"$(gio_python)" "$e2e_here/served_interfaces.py" \
  "$interfaces/RLX_Plug.Factory.xml" "$interfaces/RLX_Plug._LNSPlugInAPI.xml" || fail "the interface files differ"
wait_plugin_ended "the plug-in ends with its last object"
echo "interfaces: ok"
