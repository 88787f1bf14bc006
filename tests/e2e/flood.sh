#!/usr/bin/env bash
# Careless and hostile directors: one queues thousands of "Register" calls
# while a registration waits in its dialog (a director that retries in a
# loop), another sends megabyte-long object and network names. Every call is
# answered, the over-long ones at once with a text that gives the limit, the
# plug-in does not crash, and it answers as quickly as before afterwards.
#   flood.sh BIN_DIR DBUS_DIR
set -euo pipefail
E2E_SCREEN=1
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_bus "$@"

setup_demo_tree
"$lnsdb" create-network Plant --subsystem Routers >/dev/null

# flood_expect A N LENGTH COMMAND TYPE OUTCOMES [TEXT]: director A queues the
# calls; all must end with OUTCOMES ("NAME=COUNT ..."), the first error
# message holding TEXT.
flood_expect() {
  local name=$1 n=$2 length=$3 command=$4 kind=$5 outcomes=$6 text=${7:-}
  gio_ok "$name" flood "$n" "$length" "$command" "$kind"
  echo "   $n calls, names of $length characters: ${reply:0:160}"
  local summary=${reply#ok * }
  summary=${summary%% |*}
  expect_eq "the outcomes of $n calls" "$outcomes" "$summary"
  [ -z "$text" ] || [[ "$reply" == *"$text"* ]] || fail "the first error does not say '$text': $reply"
}

step "a registration waits in its dialog; another director queues 4000 Register calls"
"$director" --network Plant register &
first=$!
e2e_pids+=("$first")
wait_for "the template dialog" 150 register_dialog_shown
pid=$(plugin_pid)
gio_start b
gio_ok b create
gio_ok b set networkName s Plant
flood_expect b 4000 0 50 0 "RLX_Plug.Error.E20006=4000" "Registration is in progress"
expect_eq "the plug-in process" "$pid" "$(plugin_pid)"
answer_register_dialog || fail "the template dialog could not be answered"
wait "$first" || fail "the registration that waited in its dialog failed"
[ "$("$lnsdb" list --network Plant apps | grep -c 'RLX_Plug.LNSPlugInAPI')" -eq 7 ] ||
  fail "the registration did not add its seven commands"

step "150 calls naming a 1 MiB object are refused at once, with the limit"
limit="no LNS name or path is longer than 4096 characters"
flood_expect b 150 1048576 13 7 "RLX_Plug.Error.E20005=150" "$limit"
flood_expect b 3 4097 13 7 "RLX_Plug.Error.E20005=3" "The object name is 4097 characters long"
gio b set networkName s "$(head -c 70000 /dev/zero | tr '\0' N)"
[[ "$reply" == "error RLX_Plug.Error.E20005"*"$limit"* ]] || fail "a 70000-character network name: ${reply:0:200}"
gio_expect b "ok Plant" get networkName

step "the plug-in still answers at once, and its memory came back down"
start=$(date +%s%N)
gio_expect b "ok Plant" get networkName
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
[ "$elapsed_ms" -lt 1000 ] || fail "a property read took $elapsed_ms ms after the flood"
rss_kb=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
echo "   resident memory after the floods: $((rss_kb / 1024)) MiB"
[ "$rss_kb" -lt $((400 * 1024)) ] || fail "the plug-in holds $((rss_kb / 1024)) MiB after the floods"
gio_ok b set networkName s Demo
gio_ok b send 13 7 "Routers/RLX-Explicit"
expect_eq "the plug-in process" "$pid" "$(plugin_pid)"
gio_close b
echo "flood: ok"
