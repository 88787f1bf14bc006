#!/usr/bin/env bash
# Directors drive the real RLX_Plug over a private session bus: lns-director
# as the LNS director, gdbus as an independent client. RLX_Plug is started by
# D-Bus activation from the build tree's service file.
#   automation.sh BIN_DIR DBUS_DIR   (DBUS_DIR holds session.conf and services/)
set -euo pipefail
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_bus "$@"
lon="$work/Lon Works"  # a tree whose path holds a blank
# expect_out DESCRIPTION EXPECTED-STDOUT COMMAND...: the command succeeds and prints exactly that.
expect_out() {
  local what=$1 expected=$2 out
  shift 2
  out=$("$@" 2>"$work/err") || { cat "$work/err" >&2; fail "$what: exit code $?"; }
  [ "$out" == "$expected" ] || { diff <(echo "$expected") <(echo "$out") >&2; fail "$what: output"; }
}
# expect_err DESCRIPTION EXIT-CODE EXPECTED-STDERR-LINE COMMAND...
expect_err() {
  local what=$1 code=$2 line=$3 rc=0
  shift 3
  "$@" >"$work/out" 2>"$work/err" || rc=$?
  [ "$rc" == "$code" ] || { cat "$work/err" >&2; fail "$what: exit code $rc, expected $code"; }
  grep -qxF -- "$line" "$work/err" || { cat "$work/err" >&2; fail "$what: no line '$line'"; }
}
# expect_err_start DESCRIPTION EXIT-CODE START-OF-STDERR-LINE COMMAND...: as expect_err, for a
# line that begins so (a description that goes on to name files and the environment).
expect_err_start() {
  local what=$1 code=$2 start=$3 rc=0
  shift 3
  "$@" >"$work/out" 2>"$work/err" || rc=$?
  [ "$rc" == "$code" ] || { cat "$work/err" >&2; fail "$what: exit code $rc, expected $code"; }
  awk -v s="$start" 'index($0, s) == 1 { found = 1 } END { exit !found }' "$work/err" ||
    { cat "$work/err" >&2; fail "$what: no line starting '$start'"; }
}
hold_in_background() {  # starts a holding director; its pid in $held
  local log=$1
  shift
  "$director" --hold "$@" 2>"$log" &
  held=$!
  e2e_pids+=("$held")
  wait_for "the director holds its object" 100 grep -qs holding "$log"
}

step "a LonWorks tree with the plug-in installed and the Demo network"
mkdir -p "$lon/Import" "$lon/Types"
"$bin/rlx-reg" add 'HKLM\SOFTWARE\LonWorks' /v 'LonWorks Path' /d "$lon" /f >/dev/null
"$bin/RLX_Plug" /regplugin
"$bin/rlx-lnsdb" demo >/dev/null
"$bin/rlx-lnsdb" add-interface NI-1 >/dev/null
plugin_down || fail "no plug-in runs before a director asks for it"

step "constant properties (the first director starts the plug-in)"
expect_out "constants" $'RLX_Plug\n2.10b\n1.5\nZev Prodcucts Inc\n60' \
  "$director" get Name get Version get LcaVersion get ManufacturerName get ManufacturerID
wait_for "the plug-in ends with its last director" 100 plugin_down

step "writing a constant is refused and changes nothing"
expect_err "read-only" 2 "Error 20002 (source RLX_Plug): Attempt to write to read-only property" \
  "$director" --keep-going set Version 9.99 get Version
[ "$(cat "$work/out")" == "2.10b" ] || fail "the value changed: $(cat "$work/out")"
expect_err "fixed border" 2 "Error 20002 (source RLX_Plug): Attempt to write to read-only property" \
  "$director" set Height 300
expect_err "minimized while hidden" 2 \
  "Error 20006 (source RLX_Plug): Can not modify the minimzed property when invisble. The property will be applied the next time the plug-in is made visible" \
  "$director" --keep-going set Minimized true get Minimized
[ "$(cat "$work/out")" == "true" ] || fail "the minimized state was not set"

step "Configure (13) a device and a LonMark object"
expect_out "device" "" "$director" --network Demo configure Routers/RLX-LonMark
expect_out "object" "Demo" "$director" --network Demo get networkName configure Routers/RLX-LonMark/Internal Modem
expect_out "object by prefixed names" "" "$director" --network Demo configure "Net: Routers/Dev: RLX-LonMark/Device Globals"

step "commands and object types that are not served"
expect_err "command 14" 2 "Error 20003 (source RLX_Plug): Command not supported" \
  "$director" --network Demo send 14 7 Routers/RLX-LonMark
expect_err "object type 5" 2 "Error 20004 (source RLX_Plug): Object type not supported for this command" \
  "$director" --network Demo send 13 5 Routers/RLX-LonMark

step "objects that are not found"
for path in Routers/RLX-Missing RLX-LonMark "////" ":::/::" "Routers//RLX-LonMark" "Routers/RLX-LonMark/No Object"; do
  expect_err "object $path" 2 "Error 20005 (source RLX_Plug): Object not found" \
    "$director" --network Demo configure "$path"
done

step "networks and interfaces that cannot be opened"
expect_err_start "unknown network" 2 \
  "Error 20006 (source RLX_Plug): Cannot open the network Nope: Object not found: network Nope. Database tried: $lon/Database/lns.db (registry $work/registry). The plug-in takes its environment" \
  "$director" --network Nope get networkName
expect_err "unknown interface" 2 \
  "Error 20006 (source RLX_Plug): Cannot open the network Demo: there is no network interface \"NoSuchNI\"" \
  "$director" --interface NoSuchNI --network Demo
expect_out "remote through NI-1" $'true\nDemo' "$director" --interface NI-1 --network Demo get Remote get networkName
long=$(head -c 100000 /dev/zero | tr '\0' 'x')
expect_err "a 100 kB network name" 2 \
  "Error 20005 (source RLX_Plug): The network name is 100000 characters long; no LNS name or path is longer than 4096 characters" \
  "$director" --network "$long"

step "a missing or damaged database"
db="$lon/Database/lns.db"
[ -f "$db" ] || fail "no database at $db"
mv "$db" "$work/lns.db.saved"
rm -f "$db-wal" "$db-shm"
expect_err_start "missing database" 2 \
  "Error 20006 (source RLX_Plug): Cannot open the network Demo: The network database $db does not exist (registry $work/registry). The plug-in takes" \
  "$director" --network Demo
head -c 8192 /dev/urandom >"$db"
expect_err_start "corrupt database" 2 "Error 20006 (source RLX_Plug): Cannot open the network Demo: The network database $db " \
  "$director" --network Demo
rm -f "$db" "$db-wal" "$db-shm"
mv "$work/lns.db.saved" "$db"
expect_out "the database back" "Demo" "$director" --network Demo get networkName

step "one process serves every director; gdbus sees the type library and is kept out of others' objects"
wait_for "the plug-in ends" 100 plugin_down
hold_in_background "$work/hold1" --network Demo configure Routers/RLX-LonMark
plugin_up || fail "the plug-in is not running"
pid=$(plugin_pid)
path=$(sed -nE 's/.*holding (\/RLX_Plug\/LNSPlugInAPI\/[0-9]+).*/\1/p' "$work/hold1")
[ -n "$path" ] || fail "no object path"
intro=$(gdbus introspect --session --dest RLX_Plug.LNSPlugInAPI --object-path "$path")
for want in "interface RLX_Plug._LNSPlugInAPI" "SendCommand(in  i commandId," "in  n objectClassId," \
  "in  s objectName);" "Release();" "readwrite b Visible;" "readwrite s networkName;" "readwrite i Height;" \
  "readwrite s ManufacturerID;" "readwrite i Top;" "readwrite s Name;"; do
  grep -qF -- "$want" <<<"$intro" || { echo "$intro" >&2; fail "introspection lacks '$want'"; }
done
gdbus introspect --session --dest RLX_Plug.LNSPlugInAPI --object-path /RLX_Plug | grep -qF "CreateObject(out o object);" \
  || fail "the factory's introspection"
gcall() { gdbus call --session --dest RLX_Plug.LNSPlugInAPI "$@" 2>&1 || true; }
gcall --object-path "$path" --method org.freedesktop.DBus.Properties.Get RLX_Plug._LNSPlugInAPI Name |
  grep -qF "org.freedesktop.DBus.Error.AccessDenied" || fail "another connection read the director's object"
gcall --object-path "$path" --method RLX_Plug._LNSPlugInAPI.Release |
  grep -qF "org.freedesktop.DBus.Error.AccessDenied" || fail "another connection released the director's object"
created=$(gcall --object-path /RLX_Plug --method RLX_Plug.Factory.CreateObject)
grep -qE "^\(objectpath '/RLX_Plug/LNSPlugInAPI/[0-9]+',\)$" <<<"$created" || fail "gdbus CreateObject: $created"
gcall --object-path /RLX_Plug --method RLX_Plug.Factory.CreateObject 5 | grep -qF "Error.InvalidArgs" || fail "wrong arguments"
gcall --object-path /RLX_Plug --method RLX_Plug.Factory.Nothing | grep -qF "Error.UnknownMethod" || fail "unknown method"
gcall --object-path /RLX_Plug --method org.example.Nothing.CreateObject | grep -qF "Error.UnknownInterface" \
  || fail "unknown interface"
gcall --object-path /RLX_Plug/LNSPlugInAPI/999 --method RLX_Plug._LNSPlugInAPI.Release | grep -qF "Error.UnknownObject" \
  || fail "unknown object"
gcall --object-path /RLX_Plug --method org.freedesktop.DBus.Properties.Get RLX_Plug.Factory Name |
  grep -qF "Error.UnknownProperty" || fail "unknown property"
# gdbus's object went with its connection; the director's object keeps the same process serving.
[ "$(plugin_pid)" == "$pid" ] || fail "the plug-in process changed"
second_err=$("$bin/RLX_Plug" -Embedding 2>&1 >/dev/null) || fail "a second server should leave with exit code 0"
grep -qF "already served by another process" <<<"$second_err" || fail "the second server said: $second_err"
[ "$(plugin_pid)" == "$pid" ] || fail "the second server took over"

step "a director that disconnects releases its object; with the window hidden the plug-in ends"
kill -9 "$held"
wait_for "the plug-in ends after its director died" 100 plugin_down
wait_for "the plug-in process is gone" 100 bash -c "! kill -0 $pid 2>/dev/null"

step "a visible window keeps the plug-in after its director has gone"
hold_in_background "$work/hold2" --network Demo --show configure Routers/RLX-LonMark
pid=$(plugin_pid)
kill -9 "$held"
# The release of the dead director's object reaches the plug-in, which stays for the operator.
wait_for "the plug-in has released the object" 100 bash -c \
  "! gdbus introspect --session --dest RLX_Plug.LNSPlugInAPI --object-path /RLX_Plug/LNSPlugInAPI | grep -q 'node [0-9]'"
plugin_up || fail "the plug-in ended although its window was visible"
expect_out "the window is still visible" "true" "$director" get Visible
[ "$(plugin_pid)" == "$pid" ] || fail "the plug-in process changed"
# A director that hides the window and lets go ends it.
"$director" hide
wait_for "the plug-in ends once its window is hidden" 100 plugin_down

step "a holding director lets go when the window goes away"
hold_in_background "$work/hold3" --network Demo --show configure Routers/RLX-LonMark
"$director" hide
wait_for "the holding director ends" 100 bash -c "! kill -0 $held 2>/dev/null"
wait "$held" || fail "the holding director failed"
wait_for "the plug-in ends" 100 plugin_down

step "a holding director ends when the plug-in ends"
hold_in_background "$work/hold4" --network Demo --show configure Routers/RLX-LonMark
kill -TERM "$(plugin_pid)"
wait_for "the holding director ends" 100 bash -c "! kill -0 $held 2>/dev/null"
wait "$held" || fail "the holding director failed when the plug-in ended"
grep -qF "the plug-in has ended" "$work/hold4" || fail "the director did not say why it ended"

step "a server started by activation that nobody uses ends by itself"
gdbus call --session --dest RLX_Plug.LNSPlugInAPI --object-path /RLX_Plug --method org.freedesktop.DBus.Peer.Ping >/dev/null
plugin_up || fail "activation did not start the plug-in"
wait_for "the idle plug-in ends" 150 plugin_down

echo "automation: ok"
