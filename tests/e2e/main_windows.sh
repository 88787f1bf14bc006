#!/usr/bin/env bash
# A director configures the demo network's RLX routers with the real RLX_Plug:
# the LonMark router's internal modem object, then the explicit router. What
# each device received is read back from the simulator's traffic log, in
# order, and the windows are shown and hidden through Visible.
#   main_windows.sh BIN_DIR DBUS_DIR   (DBUS_DIR holds session.conf and services/)
set -euo pipefail
bin="$(cd "$1" && pwd)"
dbus_dir="$(cd "$2" && pwd)"

if [ -z "${RLX_E2E_ON_PRIVATE_BUS:-}" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  export RLX_E2E_WORK="$work" RLX_E2E_ON_PRIVATE_BUS=1
  export RLX_REGISTRY_ROOT="$work/registry" QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime"
  export RLX_PLUG_IDLE_EXIT_MS=2000
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  unset DISPLAY WAYLAND_DISPLAY
  dbus-run-session --config-file="$dbus_dir/session.conf" -- bash "$0" "$@"
  exit $?
fi

work="$RLX_E2E_WORK"
director="$bin/lns-director"
lnsdb="$bin/lnsdb"
lon="$work/LonWorks"
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "== $*"; }
bus_call() { gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus --method "org.freedesktop.DBus.$1" "${@:2}"; }
plugin_up() { bus_call NameHasOwner RLX_Plug.LNSPlugInAPI | grep -q true; }
plugin_down() { ! plugin_up; }
wait_for() {
  local what=$1 tenths=$2
  shift 2
  for ((i = 0; i < tenths; i++)); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  fail "timed out waiting until $what"
}
# The request texts a device received, oldest first (the last field of each line).
traffic() { "$lnsdb" traffic "$1" | awk -F'\t' '{ print $NF }'; }
# expect_lines DESCRIPTION EXPECTED ACTUAL: the actual text starts with the expected lines.
expect_lines() {
  local what=$1 expected=$2 actual=$3 n
  n=$(printf '%s\n' "$expected" | wc -l)
  [ "$(printf '%s\n' "$actual" | head -n "$n")" == "$expected" ] ||
    { diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual" | head -n "$n") >&2; fail "$what"; }
}
now_ms() { date +%s%3N; }

step "a LonWorks tree with the plug-in installed and the Demo network, its clock frozen"
mkdir -p "$lon/Import" "$lon/Types"
"$bin/reg" add 'HKLM\SOFTWARE\LonWorks' /v 'LonWorks Path' /d "$lon" /f >/dev/null
"$bin/RLX_Plug" /regplugin
"$lnsdb" demo >/dev/null
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
pid=$(bus_call GetConnectionUnixProcessID RLX_Plug.LNSPlugInAPI | sed -nE 's/.*uint32 ([0-9]+).*/\1/p')
"$director" hide
"$director" --network Demo configure "Routers/RLX-LonMark/Internal Modem" || fail "the LonMark window is gone"
[ "$(bus_call GetConnectionUnixProcessID RLX_Plug.LNSPlugInAPI | sed -nE 's/.*uint32 ([0-9]+).*/\1/p')" == "$pid" ] ||
  fail "hiding the explicit window ended the plug-in under the LonMark window"

step "hiding the last window shown and letting go ends the plug-in"
"$director" hide
wait_for "the plug-in ends" 100 plugin_down
echo "PASS"
