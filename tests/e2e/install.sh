#!/usr/bin/env bash
# A real installation: cmake --install into a temporary prefix, then the
# director flow from there, with RLX_Plug started by D-Bus activation alone
# (nothing from the build tree on the path).
#   install.sh BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/e2e_lib.sh"
build="$(cd "$1" && pwd)"
# The run on the bus is given BUILD_DIR/bin, as e2e_private_bus passes it on.
[ -z "${RLX_E2E_ON_PRIVATE_BUS:-}" ] || build="$(dirname "$build")"
# The installation into a prefix of the run's folder, and a bus that starts
# RLX_Plug from there, with nothing of the build tree in its environment.
install_into_prefix() {
  cmake --install "$build" --prefix "$work/prefix" >/dev/null
  E2E_SESSION_CONF="$work/prefix/share/rlx-plug/session.conf"
  unset RLX_LCADATSV
}
E2E_BEFORE_BUS=install_into_prefix
e2e_private_bus "$build/bin" "$build/share/dbus-1"
prefix="$work/prefix"
bin="$prefix/bin"
director="$bin/lns-director"
lnsdb="$bin/lnsdb"

for f in RLX_Plug Enrol XIF32BIN reg lnsdb lns-director rlx-msg xif/Rlxtlc32.xif xif/Rlxtlc20.xif \
         Resource/Zev.enu Resource/Zev.fmt Resource/Zev.fpt Resource/Zev.typ; do
  [ -e "$bin/$f" ] || fail "not installed: bin/$f"
done
for f in lib/libZEV_ActiveX.so lib/libLCADATSV.so share/dbus-1/services/RLX_Plug.LNSPlugInAPI.service \
         share/applications/rlx-plug-registration.desktop; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
grep -qF "Exec=\"$bin/RLX_Plug\" -Embedding" "$prefix/share/dbus-1/services/RLX_Plug.LNSPlugInAPI.service" \
  || fail "the service file does not name the installed program"
if readelf -d "$bin/RLX_Plug" | grep -q "$build"; then fail "the installed program still looks into the build tree"; fi

mkdir -p "$lon/Import" "$lon/Types" "$lon/bin"
ln -s "$bin/XIF32BIN" "$lon/bin/XIF32BIN"
"$bin/reg" add 'HKLM\SOFTWARE\LonWorks' /v 'LonWorks Path' /d "$lon" /f >/dev/null
"$bin/RLX_Plug" /regplugin
[ "$("$bin/reg" query 'HKLM\SOFTWARE\LonWorks\LCA\Plug-Ins\RLX_Plug' /v DirPath | awk '/DirPath/ {print $3}')" == "$bin" ] \
  || fail "DirPath is not the installed folder"
[ -f "$lon/Types/User/Zev/Zev.enu" ] || fail "resources not installed into the tree"
"$bin/lnsdb" demo >/dev/null

# The director starts the plug-in through the bus alone.
"$bin/lns-director" --network Demo --show configure "Routers/RLX-LonMark/Internal Modem" || fail "configure"
[ "$("$bin/lns-director" get Visible)" == "true" ] || fail "window not visible"
"$bin/lns-director" --network Demo --show configure Routers/RLX-Explicit || fail "configure explicit"
"$bin/lnsdb" traffic Routers/RLX-Explicit | grep -q "00 01 48 00" || fail "the explicit router was not probed"
"$bin/rlx-msg" --network Demo --device Routers/RLX-Explicit "00 01 48 00" | grep -q "RLX Explicit" \
  || fail "rlx-msg through the installed control and data server"
# Hiding the explicit window leaves the LonMark window shown; hiding that one
# too ends the plug-in.
"$bin/lns-director" hide
"$bin/lns-director" --network Demo configure "Routers/RLX-LonMark/Internal Modem" || fail "configure again"
"$bin/lns-director" hide
wait_plugin_ended "the plug-in ends after the window was hidden"
echo "install: ok"
