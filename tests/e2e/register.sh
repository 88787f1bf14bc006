#!/usr/bin/env bash
# A director sends "Register" (50): the operator answers the template dialog
# on a (virtual) screen, and the templates, interface files and the seven
# commands land in the network database.
#   register.sh BIN_DIR DBUS_DIR
set -euo pipefail
bin="$(cd "$1" && pwd)"
dbus_dir="$(cd "$2" && pwd)"

if [ -z "${RLX_E2E_ON_PRIVATE_BUS:-}" ]; then
  work=$(mktemp -d)
  xvfb_pid=""
  cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"; }
  trap cleanup EXIT
  # A screen of our own for the dialog; Xvfb picks a free display number itself,
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
lon="$work/LonWorks"
fail() { echo "FAIL: $*" >&2; exit 1; }
mkdir -p "$lon/Import" "$lon/Types" "$lon/bin"
ln -s "$bin/XIF32BIN" "$lon/bin/XIF32BIN"
"$bin/reg" add 'HKLM\SOFTWARE\LonWorks' /v 'LonWorks Path' /d "$lon" /f >/dev/null
"$bin/RLX_Plug" /regplugin
"$bin/lnsdb" create-network Plant --subsystem Routers >/dev/null

# Presses Return (the default button "Ok"; "ALL" is chosen already) in the
# template dialog once it is on the screen, again until the dialog is gone: a
# key sent while the window is still being mapped can be lost.
dialog_id() { xdotool search --onlyvisible --name '^Register RLX_PLUG$' 2>/dev/null | head -1 || true; }
answer_dialog() {
  local id="" seen=0
  for _ in $(seq 1 300); do
    id=$(dialog_id)
    if [ -n "$id" ]; then
      seen=1
      sleep 0.3
      xdotool key --window "$id" Return >/dev/null 2>&1 || true
    elif [ "$seen" = 1 ]; then
      return 0
    fi
    sleep 0.1
  done
  return 1
}

echo "== register, answering ALL"
"$bin/lns-director" --network Plant register &
director=$!
answer_dialog || fail "the template dialog did not appear"
wait "$director" || fail "register failed"

templates=$("$bin/lnsdb" list --network Plant templates)
echo "$templates"
grep -q "Rlxtlc32" <<<"$templates" || fail "no LonMark template"
grep -q "rlxtlc20" <<<"$templates" || fail "no explicit template"
[ -f "$lon/Import/Rlxtlc32.XFB" ] && [ -f "$lon/Import/Rlxtlc20.XFB" ] || fail "XFB files not made"
apps=$("$bin/lnsdb" list --network Plant apps)
echo "$apps"
[ "$(grep -c 'RLX_Plug.LNSPlugInAPI' <<<"$apps")" -eq 7 ] || fail "expected seven commands"
for text in "Configure RLX_Plug" "Configure Internal Modem" "Configure External Modem  2" "Configure Directory  1" \
            "Configure Directory  2" "Configure Device Globals" "Configure Explicit RLX"; do
  grep -qF "$text" <<<"$apps" || fail "missing command $text"
done

echo "== register again: nothing is added"
"$bin/lns-director" --network Plant register &
director=$!
answer_dialog || fail "the template dialog did not appear the second time"
wait "$director" || fail "second register failed"
[ "$("$bin/lnsdb" list --network Plant apps | grep -c 'RLX_Plug.LNSPlugInAPI')" -eq 7 ] || fail "commands doubled"
[ "$("$bin/lnsdb" list --network Plant templates | wc -l)" -eq 2 ] || fail "templates doubled"
echo "register: ok"
