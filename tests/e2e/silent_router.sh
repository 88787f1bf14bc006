#!/usr/bin/env bash
# A router that stops answering while its window is open: the explicit
# window's status poll goes on, each poll now unanswered ("Message Timeout",
# on which the window blanks the telephone state); no box is shown, the
# plug-in stays and serves its director; once the router answers again the
# poll is answered again. The network clock marks the moments: a request
# logged at a network time after an advance was sent after that advance.
#   silent_router.sh BIN_DIR DBUS_DIR
set -euo pipefail
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_bus "$@"

router=Routers/RLX-Explicit
shots="$work/screenshots"

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
start=$(clock_now)
wait_for "the window polls its modem" 100 polled_since "$router" "$start" ok

step "the router stops answering"
"$lnsdb" fault "$router" no-answer >/dev/null
"$lnsdb" clock advance 10000 >/dev/null
silent=$(clock_now)
[[ "$silent" > "$start" ]] || fail "the network clock did not move: $start, $silent"
wait_for "a poll goes unanswered" 150 polled_since "$router" "$silent" "no answer"
# The director is served all the same (a call may wait for the poll's three seconds).
gio_expect d "ok true" get Visible
gio_expect d "ok Demo" get networkName
"$lnsdb" clock advance 10000 >/dev/null
still=$(clock_now)
wait_for "the window goes on polling the silent router" 150 polled_since "$router" "$still" "no answer"
expect_eq "the plug-in process" "$pid" "$(plugin_pid)"
# Nothing but the window was shown: no box about the silence.
expect_eq "the windows shown" "fMainExplicit.png" "$(ls "$shots" | grep -v '\.part\.png$')"

step "the router answers again, and so does the poll"
"$lnsdb" fault "$router" none >/dev/null
"$lnsdb" clock advance 10000 >/dev/null
back=$(clock_now)
wait_for "a poll is answered again" 150 polled_since "$router" "$back" ok
if polled_since "$router" "$back" "no answer"; then fail "a poll after the recovery went unanswered"; fi
gio_expect d "ok true" get Visible
expect_eq "the plug-in process" "$pid" "$(plugin_pid)"

step "the director hides the window and lets go: the plug-in ends"
gio_ok d set Visible b false
gio_ok d release
wait_plugin_ended "the plug-in ends" "$pid"
echo "silent router: ok"
