#!/usr/bin/env bash
# A router that stops answering in the middle of a call, with its window open
# on a (virtual) screen and read as a screen reader reads it: the window stops
# showing the call and says that the router does not respond, keeps polling,
# less often, without a box, and serves its director; once the router answers
# again the window shows the line as it is by itself. The network clock marks
# the moments: a request logged at a network time after an advance was sent
# after that advance.
#   silent_router.sh BIN_DIR DBUS_DIR
set -euo pipefail
E2E_SCREEN=1
E2E_ACCESSIBLE=1
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_bus "$@"

router=Routers/RLX-Explicit
title="RLX/Plug "  # the explicit window's title, with its trailing blank
shots="$work/screenshots"

# What the operator reads in the window: its labels.
reads() { a11y_shows "$title" label "$1"; }
reads_start() { a11y_labels "$title" 2>/dev/null | grep -q -- $'^label\t'"$1"; }
reads_no() { ! reads_start "$1"; }

step "a LonWorks tree with the plug-in installed and the Demo network, its clock frozen"
setup_demo_tree
"$lnsdb" clock freeze >/dev/null
bus_call UpdateActivationEnvironment "{'RLX_SCREENSHOT_DIR': '$shots'}" >/dev/null

step "a director opens the explicit router's window and shows it"
gio_start d
gio_ok d create
gio_ok d set networkName s Demo
gio_ok d send 13 7 "$router"
gio_ok d set Visible b true
pid=$(plugin_pid)
wait_for "the window is photographed" 100 test -s "$shots/fMainExplicit.png"
wait_for "the window reads the idle line" 100 reads TEL_NOTINUSE

step "a call comes up on the internal modem"
"$bin/rlx-msg" --network Demo --device "$router" "00 01 32 00 53 53 53 49 50 51 52 0" >/dev/null
"$lnsdb" clock advance 10000 >/dev/null
wait_for "the window reads the call" 100 reads TEL_TALKING
wait_for "the window reads the connection" 100 reads_start "Connect "

step "the router stops answering"
"$lnsdb" fault "$router" no-answer >/dev/null
"$lnsdb" clock advance 10000 >/dev/null
silent=$(clock_now)
wait_for "a poll goes unanswered" 150 polled_since "$router" "$silent" "no answer"
wait_for "the window says the router does not respond" 50 reads "No Response from RLX"
reads_no TEL_TALKING || fail "the window still shows the call"
reads_no "Connect " || fail "the window still shows the connection"
# The director is served all the same (a call may wait for the poll's three seconds).
gio_expect d "ok true" get Visible
gio_expect d "ok Demo" get networkName
# Polls go on, less often: the next one comes only after ten seconds.
"$lnsdb" clock advance 10000 >/dev/null
still=$(clock_now)
wait_for "the window goes on polling the silent router" 250 polled_since "$router" "$still" "no answer"
expect_eq "the plug-in process" "$pid" "$(plugin_pid)"
# Nothing but the window was shown: no box about the silence.
expect_eq "the windows shown" "fMainExplicit.png" "$(ls "$shots" | grep -v '\.part\.png$')"

step "the router answers again, and the window shows the line by itself"
"$lnsdb" fault "$router" none >/dev/null
"$lnsdb" clock advance 10000 >/dev/null
back=$(clock_now)
# The poll is twenty seconds apart by now.
wait_for "a poll is answered again" 350 polled_since "$router" "$back" ok
if polled_since "$router" "$back" "no answer"; then fail "a poll after the recovery went unanswered"; fi
wait_for "the window reads the call again" 50 reads TEL_TALKING
reads_no "No Response from RLX" || fail "the window still says the router does not respond"
gio_expect d "ok true" get Visible
expect_eq "the plug-in process" "$pid" "$(plugin_pid)"

step "the director hides the window and lets go: the plug-in ends"
gio_ok d set Visible b false
gio_ok d release
wait_plugin_ended "the plug-in ends" "$pid"
echo "silent router: ok"
