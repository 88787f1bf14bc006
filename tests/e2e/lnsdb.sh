#!/usr/bin/env bash
# rlx-lnsdb end to end: the real program on a private LonWorks tree, as a user or
# the demo script runs it.
set -euo pipefail
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_folder "$1"
lon="$work/Lon Works"  # a tree whose path holds a blank
mkdir -p "$lon/Import"

"$bin/rlx-reg" add 'HKLM\SOFTWARE\LonWorks' /v 'LonWorks Path' /d "$lon" /f >/dev/null

expect_code 2 "$bin/rlx-lnsdb"
expect_code 2 "$bin/rlx-lnsdb" no-such-command
grep -q 'unknown command' "$work/err" || fail "unknown command message"
expect_code 0 "$bin/rlx-lnsdb" --help
grep -q 'add-device' "$work/out" || fail "help lists add-device"
expect_code 1 "$bin/rlx-lnsdb" list networks
grep -q 'does not exist' "$work/err" || fail "missing database message"

# The demo network, twice (the second run changes nothing).
expect_code 0 "$bin/rlx-lnsdb" demo
[ -f "$lon/Database/lns.db" ] || fail "database file in the LonWorks tree"
expect_code 0 "$bin/rlx-lnsdb" demo
grep -q 'nothing was changed' "$work/out" || fail "demo is idempotent"
out=$("$bin/rlx-lnsdb" list devices | cut -f1,3)
[ "$out" == $'Routers/RLX-LonMark\t800060325B080932\nRouters/RLX-Explicit\t524C580000000000\nRouters/RLX-North\t524C580000000000\nRouters/RLX-East\t524C580000000000\nRouters/RLX-South\t524C580000000000\nRouters/RLX-West\t524C580000000000' ] || fail "devices: $out"
[ "$("$bin/rlx-lnsdb" list objects Routers/RLX-LonMark | cut -f2 | paste -sd,)" == \
  "Node Object,Internal Modem,External Modem #1,External Modem #2,Directory #1,Directory #2,Device Globals" ] || fail "objects"

# Variables, properties and records.
[ "$("$bin/rlx-lnsdb" get-nv Routers/RLX-LonMark nvoProductName)" == "RLX-LonMark 3.20" ] || fail "product name"
"$bin/rlx-lnsdb" set-nv "Routers/RLX-LonMark/Internal Modem" nvoCnctStat1 TEL_TALKING
[ "$("$bin/rlx-lnsdb" get-nv "Routers/RLX-LonMark/Internal Modem" nvoCnctStat1)" == "TEL_TALKING" ] || fail "set-nv"
"$bin/rlx-lnsdb" set-cp "Routers/RLX-LonMark/Directory #1" UCPT_DialString --element 2 "9,5551234"
[ "$("$bin/rlx-lnsdb" get-cp "Routers/RLX-LonMark/Directory #1" UCPT_DialString --element 2)" == "9,5551234" ] || fail "set-cp"
[ "$("$bin/rlx-lnsdb" get-cp "Routers/RLX-LonMark/Device Globals" UCPT_RingMode)" == "Enable,2,2000,10000" ] || fail "ring mode"
"$bin/rlx-lnsdb" set-record Routers/RLX-Explicit ZevExplicitPhonebook0 5551234 "Head office" 5551234
[ "$("$bin/rlx-lnsdb" records Routers/RLX-Explicit | head -n 1)" == $'ZevExplicitPhonebook0\t5551234\tHead office\t5551234' ] || fail "records"
expect_code 1 "$bin/rlx-lnsdb" get-nv Routers/RLX-Missing nvoProductName
grep -q 'Object not found: Routers/RLX-Missing' "$work/err" || fail "missing device message"

# Devices of both families, modes and interfaces.
"$bin/rlx-lnsdb" add-device Routers Spare --family explicit --neuron-id 0a0b0c0d0e0f --handle 9 >/dev/null
"$bin/rlx-lnsdb" show Routers/Spare | grep -q '^Neuron ID: 0A0B0C0D0E0F$' || fail "neuron id"
expect_code 1 "$bin/rlx-lnsdb" add-device Routers Spare2 --family lonmark --handle 9
expect_code 2 "$bin/rlx-lnsdb" add-device Routers Spare2 --family green
"$bin/rlx-lnsdb" set-mode off-net >/dev/null
expect_code 1 "$bin/rlx-lnsdb" get-nv Routers/RLX-LonMark nvoProductName
"$bin/rlx-lnsdb" set-mode on-net >/dev/null
"$bin/rlx-lnsdb" add-interface LON1 >/dev/null
[ "$("$bin/rlx-lnsdb" list interfaces)" == "LON1" ] || fail "interfaces"

# A second network, and a damaged database file.
"$bin/rlx-lnsdb" create-network Plant --subsystem North >/dev/null
expect_code 0 "$bin/rlx-lnsdb" list devices   # "Demo" among several
expect_code 0 "$bin/rlx-lnsdb" list subsystems --network Plant
[ "$(cat "$work/out")" == "North" ] || fail "subsystems of Plant"
head -c 4096 /dev/urandom > "$work/bad.db"
expect_code 1 "$bin/rlx-lnsdb" --database "$work/bad.db" list networks
grep -q 'error 4050' "$work/err" || fail "damaged database reported"
echo "rlx-lnsdb end to end: ok"
