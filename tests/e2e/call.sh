#!/usr/bin/env bash
# An operator places a call from the explicit router's window: a director
# opens the window on a (virtual) screen, the operator types a number into
# the phone number field and presses Dial, and the router's traffic log shows
# the dial request; the call is followed to talking on the network clock and
# Call Cancel hangs it up. The window is driven with the keyboard through the
# X server (xdotool), as an operator would.
#   call.sh BIN_DIR DBUS_DIR   (DBUS_DIR holds session.conf and services/)
set -euo pipefail
E2E_SCREEN=1
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_bus "$@"

device=Routers/RLX-Explicit
received() { traffic "$device" | grep -qxF -- "$1"; }
window_id() { xdotool search --onlyvisible --name '^RLX/Plug $' 2>/dev/null | head -1 || true; }
window_shown() { [ -n "$(window_id)" ]; }
# The internal modem's telephone state as the router holds it.
internal_modem_in() { "$lnsdb" rlx-state "$device" | grep -q "^Modem internal: ready, $1,"; }

step "a LonWorks tree with the plug-in installed and the Demo network, its clock frozen"
setup_demo_tree
"$lnsdb" clock freeze >/dev/null

step "a director opens the explicit router's window and holds it"
"$director" --network Demo --show --hold configure "$device" >"$work/director.log" 2>&1 &
holder=$!
e2e_pids+=("$holder")
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
traffic "$device" | grep -qE '^00 01 (65|61) ' && fail "a typed number changed auto answer: $(traffic "$device")"

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
[ -n "${RLX_E2E_VERBOSE:-}" ] && traffic "$device" | sed 's/^/   /'

step "letting go and hiding the window ends the plug-in"
kill "$holder" 2>/dev/null || true
wait "$holder" 2>/dev/null || true
"$director" hide
wait_for "the plug-in ends" 100 plugin_down
echo "PASS"
