#!/usr/bin/env bash
# Two directors at once on one plug-in process: lns-director holding its
# object, and a GDBus director (gio_director.py) that goes on working after
# the other one has let go, and after the other one has crashed (kill -9).
# The plug-in ends when the last director has gone and no window is shown.
#   directors.sh BIN_DIR DBUS_DIR
set -euo pipefail
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_bus "$@"

lonmark=Routers/RLX-LonMark
explicit=Routers/RLX-Explicit

step "a LonWorks tree with the plug-in installed and the Demo network, its clock frozen"
setup_demo_tree
"$lnsdb" clock freeze >/dev/null
"$lnsdb" traffic --clear >/dev/null

# hold_director LOG PATH: lns-director configures PATH and holds its object;
# its pid in $held, its object in $held_object.
hold_director() {
  local log=$1 path=$2
  "$director" --network Demo --hold configure "$path" 2>"$log" &
  held=$!
  e2e_pids+=("$held")
  wait_for "lns-director holds its object" 100 grep -qs holding "$log"
  held_object=$(sed -nE 's/.*holding (\/RLX_Plug\/LNSPlugInAPI\/[0-9]+).*/\1/p' "$log")
  [ -n "$held_object" ] || fail "no object path in $(cat "$log")"
}
has_object() { plugin_objects | grep -qxF "$1"; }
lacks_object() { ! has_object "$1"; }

step "both directors create their objects and configure a router each"
hold_director "$work/a1.log" "$lonmark/Internal Modem"
pid=$(plugin_pid)
gio_start b
gio_ok b create
b_object=${reply#ok }
gio_ok b set networkName s Demo
gio_ok b send 13 7 "$explicit"
expect_eq "the objects served" "$(printf '%s\n' "$held_object" "$b_object" | sort)" "$(plugin_objects | sort)"
expect_eq "the plug-in process" "$pid" "$(plugin_pid)"
traffic "$lonmark" | grep -qxF "00 01 53 00" || fail "the LonMark router's internal modem was not asked: $(traffic "$lonmark")"
traffic "$explicit" | grep -qxF "00 01 48 00" || fail "the explicit router was not probed: $(traffic "$explicit")"
# Each director reads the shared state: the network, and the window the last command chose.
expect_eq "the holding director's network, as a third director reads it" "Demo" "$("$director" get networkName)"
gio_expect b "ok false" get Visible

step "lns-director lets go; the GDBus director works on in the same process"
kill -TERM "$held"
wait "$held" || fail "lns-director did not let go cleanly"
wait_for "its object is released" 100 lacks_object "$held_object"
expect_eq "the objects served" "$b_object" "$(plugin_objects)"
"$lnsdb" traffic --clear >/dev/null
gio_ok b send 13 28 "$lonmark/External Modem #1"
traffic "$lonmark" | grep -qxF "00 01 53 02" || fail "external modem 1 was not asked: $(traffic "$lonmark")"
gio_expect b "ok Demo" get networkName
expect_eq "the plug-in process" "$pid" "$(plugin_pid)"

step "a second lns-director comes, and crashes (kill -9) while the GDBus director shows the window"
hold_director "$work/a2.log" "$lonmark/Internal Modem"
expect_eq "the plug-in process" "$pid" "$(plugin_pid)"
gio_ok b send 13 7 "$explicit"
gio_ok b set Visible b true
kill -9 "$held"
wait "$held" 2>/dev/null || true
wait_for "the dead director's object is released" 100 lacks_object "$held_object"
expect_eq "the objects served" "$b_object" "$(plugin_objects)"
gio_expect b "ok true" get Visible
gio_expect b "ok Demo" get networkName
expect_eq "the plug-in process" "$pid" "$(plugin_pid)"
# The window still polls its router.
"$lnsdb" traffic --clear >/dev/null
wait_for "the explicit window polls its router" 100 bash -c "'$lnsdb' traffic '$explicit' | grep -q '00 01 53 00'"

step "the last director hides the window and goes without a word: the plug-in ends"
gio_ok b set Visible b false
gio_close b   # the GDBus director ends, its connection with it
wait_plugin_ended "the plug-in ends with its last director gone and no window shown" "$pid"
echo "directors: ok"
