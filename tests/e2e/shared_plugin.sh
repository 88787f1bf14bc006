#!/usr/bin/env bash
# Real lns-director processes share one plug-in on a virtual screen, where
# xdotool answers its windows as an operator would:
#  - a director that gave up an attach (Cancel in "Connection Error") sees the
#    window of its next Configure;
#  - a second director opening another network does not take the first
#    director's window away from its router;
#  - two "Register" commands at once: one template dialog, one registration,
#    a true answer for each director, and the dialog's wait costs next to no
#    processor time.
#   shared_plugin.sh BIN_DIR DBUS_DIR
set -euo pipefail
E2E_SCREEN=1
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_bus "$@"

# The id of the visible window with exactly that title, or nothing.
window_id() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true; }
window_count() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l; }
window_shown() { [ -n "$(window_id "$1")" ]; }
# press_in TITLE KEY: once a window of that title is shown, presses KEY in it
# until it is gone (a key sent while the window is still being mapped can be lost).
press_in() {
  local id seen=0
  for _ in $(seq 1 300); do
    id=$(window_id "$1")
    if [ -n "$id" ]; then
      seen=1
      sleep 0.3
      xdotool key --window "$id" "$2" >/dev/null 2>&1 || true
    elif [ "$seen" = 1 ]; then
      return 0
    fi
    sleep 0.1
  done
  return 1
}
# CPU time (clock ticks) a process has used.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

step "a LonWorks tree with the Demo network and a second network Plant, the clock frozen"
setup_demo_tree
"$lnsdb" clock freeze >/dev/null
"$lnsdb" create-network Plant --subsystem Routers >/dev/null
"$lnsdb" add-device --network Plant Routers RLX-Plant --family explicit >/dev/null

step "a director gives up an attach, and sees the window of its next Configure"
"$lnsdb" fault Routers/RLX-LonMark no-answer >/dev/null
press_in "Connection Error" Escape &
answerer=$!
shown=$("$director" --network Demo send 13 28 "Routers/RLX-LonMark/Internal Modem" show get Visible \
  send 13 7 Routers/RLX-Explicit show get Visible hide) || fail "the director failed: $shown"
wait "$answerer" || fail "no Connection Error window was shown"
expect_eq "Visible after Cancel, then after the next Configure" $'false\ntrue' "$shown"
"$lnsdb" fault Routers/RLX-LonMark none >/dev/null
wait_plugin_ended "the plug-in ends with the window hidden"

step "a second director opens another network; the first window stays with its router"
"$director" --network Demo --show --hold configure Routers/RLX-Explicit >/dev/null &
first=$!
e2e_pids+=("$first")
wait_for "the explicit window is shown" 100 window_shown "RLX/Plug "
pid=$(plugin_pid)
expect_eq "the network the second director opened" "Plant" "$("$director" --network Plant get networkName)"
"$lnsdb" clock advance 10000 >/dev/null
after=$(clock_now)
wait_for "the first window polls its router on Demo" 150 polled_since Routers/RLX-Explicit "$after" ok
expect_eq "the plug-in process" "$pid" "$(plugin_pid)"
kill -INT "$first"
wait "$first" || true
# The window the operator sees keeps the plug-in after its director let go.
expect_eq "the plug-in process" "$pid" "$(plugin_pid)"
"$director" hide
wait_plugin_ended "the plug-in ends once the window is hidden" "$pid"

step "two directors register at once: one dialog and a true answer for each"
"$director" --network Demo register >"$work/first-register.txt" 2>&1 &
first=$!
e2e_pids+=("$first")
wait_for "the template dialog" 100 window_shown "Register RLX_PLUG"
pid=$(plugin_pid)
rc=0
second=$("$director" --network Demo register 2>&1) || rc=$?
expect_eq "the second director's exit status" 2 "$rc"
[[ "$second" == *"Error 20006 (source RLX_Plug): Registration is in progress"* ]] ||
  fail "the second director was told: $second"
expect_eq "template dialogs on the screen" 1 "$(window_count "Register RLX_PLUG")"
# While the dialog waits for the operator, the plug-in sleeps.
ticks=$(cpu_ticks "$pid")
sleep 3
ticks=$(($(cpu_ticks "$pid") - ticks))
echo "   CPU while the dialog waits: $ticks ticks of $((3 * $(getconf CLK_TCK)))"
[ "$ticks" -le $((3 * $(getconf CLK_TCK) / 20)) ] || fail "the dialog's wait used $ticks clock ticks in 3 s"
press_in "Register RLX_PLUG" Return || fail "the template dialog could not be answered"
wait "$first" || fail "the first registration failed: $(cat "$work/first-register.txt")"
expect_eq "the commands registered" 7 "$("$lnsdb" list --network Demo apps | grep -c 'RLX_Plug.LNSPlugInAPI')"
wait_plugin_ended "the plug-in ends after the registration"
echo "shared plug-in: ok"
