#!/usr/bin/env bash
# rlx-msg end to end: the demo network, explicit messages through the real
# control and data server to routers of both families, a call that moves on
# with the network clock, and routers made silent or failing with rlx-lnsdb.
set -euo pipefail
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_folder "$1"
mkdir -p "$lon/Import"
out_has() { grep -qF -- "$1" "$work/out" || { cat "$work/out" >&2; fail "$2"; }; }

"$bin/rlx-reg" add 'HKLM\SOFTWARE\LonWorks' /v 'LonWorks Path' /d "$lon" /f >/dev/null
"$bin/rlx-lnsdb" demo >/dev/null
"$bin/rlx-lnsdb" clock freeze >/dev/null

# Both families answer the presence probe with their firmware.
expect_code 0 "$bin/rlx-msg" --device Routers/RLX-Explicit "00 01 48 00"
out_has $'reply:   1\t48\t0\t82\t76\t88' "explicit probe reply"
out_has 'decoded: "\x010 RLX Explicit 2.10"' "explicit firmware"
grep -q '^time:    [0-9]*\.[0-9]* ms$' "$work/out" || fail "elapsed time"
expect_code 0 "$bin/rlx-msg" --network Demo --device Routers/RLX-LonMark "00 01 48 00"
out_has 'RLX-LonMark 3.20"' "LonMark firmware"
expect_code 0 "$bin/rlx-msg" --device Routers/RLX-Explicit "00 01 66 00 02 00"
out_has $'reply:   1\t66\t0\t2\t0\t53\t53\t53\t49\t50\t51\t52\t0' "the demo's phonebook entry 0"

# A call dialled by message goes on as network time is advanced; the LonMark
# status variable tells the same.
expect_code 0 "$bin/rlx-msg" --device Routers/RLX-LonMark "00 01 32 02 53 53 53 0"
expect_code 0 "$bin/rlx-msg" --device Routers/RLX-LonMark "00 01 53 02"
out_has $'reply:   1\t53\t2\t1\t0' "off hook after dialling"
"$bin/rlx-lnsdb" clock advance 4000 >/dev/null
expect_code 0 "$bin/rlx-msg" --device Routers/RLX-LonMark "00 01 53 02"
out_has $'reply:   1\t53\t2\t9\t0' "talking after the connect delay"
[ "$("$bin/rlx-lnsdb" get-nv "Routers/RLX-LonMark/External Modem #1" nvoCnctStat2)" == "TEL_TALKING" ] || fail "status variable"

# Like ping.
expect_code 0 "$bin/rlx-msg" --device Routers/RLX-Explicit --count 5 "00 01 53 00"
[ "$(grep -c '^seq=' "$work/out")" -eq 5 ] || fail "five requests"
grep -q '^round-trip min/median/max = [0-9.]*/[0-9.]*/[0-9.]* ms$' "$work/out" || fail "round-trip line"

# Faults set with rlx-lnsdb reach the control.
"$bin/rlx-lnsdb" fault Routers/RLX-North no-answer >/dev/null
expect_code 1 "$bin/rlx-msg" --device Routers/RLX-North "00 01 48 00"
out_has 'reply:   Message Timeout' "silent router"
"$bin/rlx-lnsdb" fault Routers/RLX-North failure >/dev/null
expect_code 1 "$bin/rlx-msg" --device Routers/RLX-North "00 01 48 00"
out_has 'reply:   Message Failed' "failing data server"
"$bin/rlx-lnsdb" fault Routers/RLX-North reset-once >/dev/null
expect_code 0 "$bin/rlx-msg" --device Routers/RLX-North "00 01 48 00"
"$bin/rlx-lnsdb" rlx-state Routers/RLX-North | grep -q '^Fault: none$' || fail "reset clears the fault"
[ "$("$bin/rlx-lnsdb" traffic Routers/RLX-North | cut -f2,4)" == $'no answer\t00 01 48 00\nok\t00 01 48 00' ] ||
  fail "traffic: $("$bin/rlx-lnsdb" traffic Routers/RLX-North)"

# Wrong command lines.
expect_code 2 "$bin/rlx-msg" "00 01 48 00"
expect_code 2 "$bin/rlx-msg" --device Routers/RLX-Nowhere "00 01 48 00"
expect_code 2 "$bin/rlx-msg" --device Routers/RLX-North "hello"
expect_code 2 "$bin/rlx-msg" --device Routers/RLX-North --count 0 "00 01 48 00"
# A message the control would send changed ("0 1 48 0" arrives as "48 0") is
# refused before anything is opened: the network named does not exist, and
# the message is what is reported.
expect_code 2 "$bin/rlx-msg" --network Nowhere --device Routers/RLX-North "0 1 48 0"
grep -qF '"0 1 48 0" cannot be sent as written' "$work/err" || { cat "$work/err" >&2; fail "bad message reported"; }
echo "rlx-msg end to end: ok"
