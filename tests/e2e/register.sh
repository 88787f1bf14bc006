#!/usr/bin/env bash
# A director sends "Register" (50): the operator answers the template dialog
# on a (virtual) screen, and the templates, interface files and the seven
# commands land in the network database.
#   register.sh BIN_DIR DBUS_DIR
set -euo pipefail
E2E_SCREEN=1
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_bus "$@"

setup_demo_tree
"$lnsdb" create-network Plant --subsystem Routers >/dev/null

echo "== register, answering ALL"
"$bin/lns-director" --network Plant register &
director=$!
answer_register_dialog || fail "the template dialog did not appear"
wait "$director" || fail "register failed"

templates=$("$bin/rlx-lnsdb" list --network Plant templates)
echo "$templates"
grep -q "Rlxtlc32" <<<"$templates" || fail "no LonMark template"
grep -q "rlxtlc20" <<<"$templates" || fail "no explicit template"
[ -f "$lon/Import/Rlxtlc32.XFB" ] && [ -f "$lon/Import/Rlxtlc20.XFB" ] || fail "XFB files not made"
apps=$("$bin/rlx-lnsdb" list --network Plant apps)
echo "$apps"
[ "$(grep -c 'RLX_Plug.LNSPlugInAPI' <<<"$apps")" -eq 7 ] || fail "expected seven commands"
for text in "Configure RLX_Plug" "Configure Internal Modem" "Configure External Modem  2" "Configure Directory  1" \
            "Configure Directory  2" "Configure Device Globals" "Configure Explicit RLX"; do
  grep -qF "$text" <<<"$apps" || fail "missing command $text"
done

echo "== register again: nothing is added"
"$bin/lns-director" --network Plant register &
director=$!
answer_register_dialog || fail "the template dialog did not appear the second time"
wait "$director" || fail "second register failed"
[ "$("$bin/rlx-lnsdb" list --network Plant apps | grep -c 'RLX_Plug.LNSPlugInAPI')" -eq 7 ] || fail "commands doubled"
[ "$("$bin/rlx-lnsdb" list --network Plant templates | wc -l)" -eq 2 ] || fail "templates doubled"
echo "register: ok"
