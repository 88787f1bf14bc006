#!/usr/bin/env bash
# An operator places a call from the explicit router's window: a director
# opens the window on a (virtual) screen, the operator types a number into
# the phone number field and presses Dial, and the router's traffic log shows
# the dial request; the call is followed to talking on the network clock and
# Call Cancel hangs it up. The window is driven with the keyboard through the
# X server (xdotool), as an operator would.
#   call.sh BIN_DIR DBUS_DIR   (DBUS_DIR holds session.conf and services/)
set -euo pipefail
bin="$(cd "$1" && pwd)"
dbus_dir="$(cd "$2" && pwd)"

if [ -z "${RLX_E2E_ON_PRIVATE_BUS:-}" ]; then
  work=$(mktemp -d)
  xvfb_pid=""
  cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"; }
  trap cleanup EXIT
  # A screen of our own for the window; Xvfb picks a free display number itself,
  # so tests running side by side never share one.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  display=":$(tr -d '[:space:]' <"$work/display")"
  [ "$display" != ":" ] || { echo "FAIL: Xvfb did not start" >&2; exit 1; }
  export DISPLAY="$display" RLX_E2E_WORK="$work" RLX_E2E_ON_PRIVATE_BUS=1
  export RLX_REGISTRY_ROOT="$work/registry" XDG_RUNTIME_DIR="$work/runtime" RLX_PLUG_IDLE_EXIT_MS=2000
  unset QT_QPA_PLATFORM WAYLAND_DISPLAY
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  dbus-run-session --config-file="$dbus_dir/session.conf" -- bash "$0" "$@"
  exit $?
fi

work="$RLX_E2E_WORK"
director="$bin/lns-director"
lnsdb="$bin/lnsdb"
lon="$work/LonWorks"
device=Routers/RLX-Explicit
holder=""
cleanup() { [ -n "$holder" ] && kill "$holder" 2>/dev/null || true; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -n "${RLX_E2E_VERBOSE:-}" ] && "$lnsdb" traffic "$device" >&2; exit 1; }
step() { echo "== $*"; }
bus_call() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method "org.freedesktop.DBus.$1" "${@:2}"
}
plugin_up() { bus_call NameHasOwner RLX_Plug.LNSPlugInAPI | grep -q true; }
plugin_down() { ! plugin_up; }
wait_for() {
  local what=$1 tenths=$2
  shift 2
  for ((i = 0; i < tenths; i++)); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  fail "timed out waiting until $what"
}
# The request texts the router received, oldest first (the last field of each line).
traffic() { "$lnsdb" traffic "$device" | awk -F'\t' '{ print $NF }'; }
received() { traffic | grep -qxF -- "$1"; }
window_id() { xdotool search --onlyvisible --name '^RLX/Plug $' 2>/dev/null | head -1 || true; }
window_shown() { [ -n "$(window_id)" ]; }
# The internal modem's telephone state as the router holds it.
internal_modem_in() { "$lnsdb" rlx-state "$device" | grep -q "^Modem internal: ready, $1,"; }

step "a LonWorks tree with the plug-in installed and the Demo network, its clock frozen"
mkdir -p "$lon/Import" "$lon/Types"
"$bin/reg" add 'HKLM\SOFTWARE\LonWorks' /v 'LonWorks Path' /d "$lon" /f >/dev/null
"$bin/RLX_Plug" /regplugin
"$lnsdb" demo >/dev/null
"$lnsdb" clock freeze >/dev/null

step "a director opens the explicit router's window and holds it"
"$director" --network Demo --show --hold configure "$device" >"$work/director.log" 2>&1 &
holder=$!
wait_for "the window is on the screen" 200 window_shown
wait_for "the window has chosen its modem" 100 received "00 01 69 00 02"
"$lnsdb" traffic --clear "$device" >/dev/null

step "the operator types a number and presses Dial"
id=$(window_id)
xdotool windowfocus --sync "$id" 2>/dev/null || true
sleep 0.5
# The phone number field is first in the window's tab order: it holds the
# focus when the window takes it.
xdotool type --delay 50 --window "$id" "5551234"
xdotool key --window "$id" Tab space
wait_for "the router receives the dial request" 100 received "00 01 32 00 53 53 53 49 50 51 52 0"
# A typed number touches nothing else.
traffic | grep -qE '^00 01 (65|61) ' && fail "a typed number changed auto answer: $(traffic)"

step "the call connects on the network clock"
"$lnsdb" clock advance 5000 >/dev/null
wait_for "the router's modem is talking to the number" 100 internal_modem_in "TEL_TALKING 5551234"
# The window's status poll asks for the connection details while talking.
wait_for "the window reads the connection details" 100 received "00 01 57 00"

step "Call Cancel hangs up"
# Dial went grey when it was pressed and handed the focus on to Call Cancel.
xdotool key --window "$id" space
wait_for "the router receives the hang-up" 100 received "00 01 08 00"
"$lnsdb" clock advance 2000 >/dev/null
wait_for "the line is free again" 100 internal_modem_in TEL_NOTINUSE
[ -n "${RLX_E2E_VERBOSE:-}" ] && traffic | sed 's/^/   /'

step "letting go and hiding the window ends the plug-in"
kill "$holder" 2>/dev/null || true
wait "$holder" 2>/dev/null || true
holder=""
"$director" hide
wait_for "the plug-in ends" 100 plugin_down
echo "PASS"
