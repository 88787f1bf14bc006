#!/usr/bin/env bash
# A real installation: cmake --install into a temporary prefix, then the
# director flow from there, with RLX_Plug started by D-Bus activation alone
# (nothing from the build tree on the path).
#   install.sh BUILD_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"

if [ -z "${RLX_E2E_ON_PRIVATE_BUS:-}" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  prefix="$work/prefix"
  cmake --install "$build" --prefix "$prefix" >/dev/null
  export RLX_E2E_WORK="$work" RLX_E2E_PREFIX="$prefix" RLX_E2E_ON_PRIVATE_BUS=1
  export RLX_REGISTRY_ROOT="$work/registry" QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime"
  export RLX_PLUG_IDLE_EXIT_MS=3000
  unset DISPLAY WAYLAND_DISPLAY RLX_LCADATSV
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  dbus-run-session --config-file="$prefix/share/rlx-plug/session.conf" -- bash "$0" "$@"
  exit $?
fi

work="$RLX_E2E_WORK"
bin="$RLX_E2E_PREFIX/bin"
fail() { echo "FAIL: $*" >&2; exit 1; }

for f in RLX_Plug Enrol XIF32BIN reg lnsdb lns-director rlx-msg xif/Rlxtlc32.xif xif/Rlxtlc20.xif \
         Resource/Zev.enu Resource/Zev.fmt Resource/Zev.fpt Resource/Zev.typ; do
  [ -e "$bin/$f" ] || fail "not installed: bin/$f"
done
for f in lib/libZEV_ActiveX.so lib/libLCADATSV.so share/dbus-1/services/RLX_Plug.LNSPlugInAPI.service \
         share/applications/rlx-plug-registration.desktop; do
  [ -e "$RLX_E2E_PREFIX/$f" ] || fail "not installed: $f"
done
grep -qF "Exec=\"$bin/RLX_Plug\" -Embedding" "$RLX_E2E_PREFIX/share/dbus-1/services/RLX_Plug.LNSPlugInAPI.service" \
  || fail "the service file does not name the installed program"
if readelf -d "$bin/RLX_Plug" | grep -q "$build"; then fail "the installed program still looks into the build tree"; fi

lon="$work/LonWorks"
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
for _ in $(seq 1 100); do
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner RLX_Plug.LNSPlugInAPI | grep -q true || { echo "install: ok"; exit 0; }
  sleep 0.1
done
fail "the plug-in did not end after the window was hidden"
