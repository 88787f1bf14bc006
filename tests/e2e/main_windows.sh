#!/usr/bin/env bash
# A director configures the demo network's RLX routers with the real RLX_Plug:
# the LonMark router's internal modem object, then the explicit router. What
# each device received is read back from the simulator's traffic log, in
# order, and the windows are shown and hidden through Visible.
#   main_windows.sh BIN_DIR DBUS_DIR   (DBUS_DIR holds session.conf and services/)
set -euo pipefail
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_bus "$@"
now_ms() { date +%s%3N; }

step "a LonWorks tree with the plug-in installed and the Demo network, its clock frozen"
setup_demo_tree
"$lnsdb" clock freeze >/dev/null
"$lnsdb" traffic --clear >/dev/null

step "Configure the LonMark router's internal modem and show its window"
start=$(now_ms)
"$director" --network Demo --show configure "Routers/RLX-LonMark/Internal Modem" ||
  fail "the director could not configure the internal modem"
echo "   configure + show, including starting RLX_Plug: $(($(now_ms) - start)) ms"
[ "$("$director" get Visible)" == "true" ] || fail "the LonMark window is not visible"
expect_lines "what the LonMark router received" \
  "$(printf '%s\n' '00 01 55 00 03' '00 01 73 02' '00 01 53 00' '00 01 34 00 00')" \
  "$(traffic Routers/RLX-LonMark)"
[ "$(traffic Routers/RLX-LonMark | wc -l)" == 4 ] || fail "the LonMark router received more: $(traffic Routers/RLX-LonMark)"

step "Configure the explicit router in the same plug-in"
had_auto_answer=$("$lnsdb" records Routers/RLX-Explicit | grep -c '^ZevExplicitAutoAnswer' || true)
start=$(now_ms)
"$director" --network Demo --show configure Routers/RLX-Explicit || fail "the director could not configure the explicit router"
echo "   configure + show of a running plug-in: $(($(now_ms) - start)) ms"
[ "$("$director" get Visible)" == "true" ] || fail "the explicit window is not visible"
# The probe and firmware; auto answer switched on for all three modems the
# first time; ring mode and phonebook support (the phonebook's first
# download, when the database has no copy yet, is left out here); the first
# ready modem, chosen; its dial mode.
explicit=$(traffic Routers/RLX-Explicit | grep -v -E '^00 01 66 00 02 ([1-9]|[1-6][0-9])$')
[ -n "${RLX_E2E_VERBOSE:-}" ] && printf '%s\n' "$explicit" | sed 's/^/   /'
expected=$(printf '%s\n' '00 01 55 00 03' '00 01 48 00')
[ "$had_auto_answer" == 0 ] && expected+=$'\n'$(printf '%s\n' '00 01 65 00 01' '00 01 65 02 01' '00 01 65 03 01')
expected+=$'\n'$(printf '%s\n' '00 01 72 00 02' '00 01 66 00 02 00' '00 01 53 00' '00 01 53 00' '00 01 69 00 02')
expect_lines "what the explicit router received" "$expected" "$explicit"
"$lnsdb" records Routers/RLX-Explicit | grep -q $'^ZevExplicitAutoAnswer\t1\t1\t1' ||
  fail "the auto-answer record: $("$lnsdb" records Routers/RLX-Explicit | grep AutoAnswer)"

step "the status poll goes on while the window is open"
before=$(traffic Routers/RLX-Explicit | wc -l)
wait_for "the explicit window polls its modem" 60 bash -c \
  "[ \$(\"$lnsdb\" traffic Routers/RLX-Explicit | wc -l) -gt $before ]"
[ "$(traffic Routers/RLX-Explicit | tail -n 1)" == "00 01 53 00" ] || fail "the poll sent something else"

step "hiding one window keeps the plug-in while the other is shown"
pid=$(plugin_pid)
"$director" hide
"$director" --network Demo configure "Routers/RLX-LonMark/Internal Modem" || fail "the LonMark window is gone"
[ "$(plugin_pid)" == "$pid" ] ||
  fail "hiding the explicit window ended the plug-in under the LonMark window"

step "hiding the last window shown and letting go ends the plug-in"
"$director" hide
wait_for "the plug-in ends" 100 plugin_down
echo "PASS"
