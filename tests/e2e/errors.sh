#!/usr/bin/env bash
# The plug-in's automation errors 20002 to 20006 as two unrelated clients
# meet them: a GDBus director (gio_director.py; the D-Bus error name
# "RLX_Plug.Error.E<n>" and the description, as the gdbus tool shows them) and
# lns-director (number, source and description, exit code 2). Each error
# leaves the object usable and the value it refused unchanged.
#   errors.sh BIN_DIR DBUS_DIR
set -euo pipefail
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_bus "$@"

readonly_text="Attempt to write to read-only property"
moved_text="Plug-in can't be moved or sized while minimized or maximized"
hidden_text="Can not modify the minimzed property when invisble. The property will be applied the next time the plug-in is made visible"
environment_text="The plug-in takes its environment (RLX_REGISTRY_ROOT, which names the registry and with it the LonWorks path) from the D-Bus session bus that started it, not from the director; set it there with dbus-update-activation-environment for the plug-in's next start"

step "a LonWorks tree with the plug-in installed and the Demo network"
setup_demo_tree

# gio_error REQUEST NUMBER TEXT: the GDBus director's request fails with that error.
gio_error() {
  gio g "$1"
  expect_eq "GDBus: $1" "error RLX_Plug.Error.E$2"$'\t'"$3" "$reply"
}
# director_error NUMBER TEXT ARGS...: lns-director fails with that error and exit code 2.
director_error() {
  local number=$1 text=$2 rc=0
  shift 2
  "$director" "$@" >"$work/out" 2>"$work/err" || rc=$?
  [ "$rc" == 2 ] || { cat "$work/err" >&2; fail "lns-director $*: exit code $rc, expected 2"; }
  grep -qxF -- "Error $number (source RLX_Plug): $text" "$work/err" ||
    { cat "$work/err" >&2; fail "lns-director $*: no error $number '$text'"; }
}

step "a GDBus director holds an object (and with it the plug-in) throughout"
gio_start g
gio_ok g create
pid=$(plugin_pid)

step "20002: every constant property refuses a write and keeps its value"
declare -A constants=([Name]=RLX_Plug [Version]=2.10b [LcaVersion]=1.5 [ManufacturerName]="Zev Prodcucts Inc"
  [ManufacturerID]=60)
for name in Name Version LcaVersion ManufacturerName ManufacturerID; do
  gio_error "set $name s changed" 20002 "$readonly_text"
  gio_expect g "ok ${constants[$name]}" get "$name"
  director_error 20002 "$readonly_text" --keep-going set "$name" changed get "$name"
  expect_eq "$name after lns-director's write" "${constants[$name]}" "$(cat "$work/out")"
done

step "20003 and 20004: commands and object types that are not served"
gio_error "send 14 7 Routers/RLX-LonMark" 20003 "Command not supported"
gio_error "send 13 5 Routers/RLX-LonMark" 20004 "Object type not supported for this command"
director_error 20003 "Command not supported" --network Demo send 14 28 "Routers/RLX-LonMark/Internal Modem"
director_error 20004 "Object type not supported for this command" --network Demo send 13 0 Routers/RLX-LonMark

step "20006: a network that cannot be opened; the open one stays"
gio_ok g set networkName s Demo
gio_error "set networkName s Nope" 20006 \
  "Cannot open the network Nope: Object not found: network Nope. Database tried: $lon/Database/lns.db (registry $work/registry). $environment_text"
gio_expect g "ok Demo" get networkName
director_error 20006 \
  "Cannot open the network Demo : Object not found: network Demo . Database tried: $lon/Database/lns.db (registry $work/registry). $environment_text" \
  --network "Demo "

step "20005: objects that are not found"
gio_error "send 13 7 Routers/RLX-Missing" 20005 "Object not found"
gio_error "send 13 28 Routers/RLX-LonMark/No Such Object" 20005 "Object not found"
gio_error "send 13 28 Routers/RLX-Missing/Internal Modem" 20005 "Object not found"
director_error 20005 "Object not found" --network Demo configure --object "Routers/RLX-Explicit/Internal Modem"

step "20002 and 20006 from the window properties of fMain (a fixed border)"
gio_error "set Height i 300" 20002 "$readonly_text"
gio_error "set Width i 300" 20002 "$readonly_text"
# Minimized on the hidden window: the state is taken, the second text raised.
gio_error "set Minimized b true" 20006 "$hidden_text"
gio_expect g "ok true" get Minimized
# Minimized: positions refuse with the first text, the border test still comes first for sizes.
gio_error "set Left i 10" 20006 "$moved_text"
gio_error "set Top i 10" 20006 "$moved_text"
gio_error "set Height i 300" 20002 "$readonly_text"
director_error 20006 "$moved_text" set Top 10
director_error 20006 "$hidden_text" set Minimized false
gio_expect g "ok false" get Minimized

step "the phonebook editor is sizable: sized when normal, 20006 when minimized"
gio_ok g send 13 28 "Routers/RLX-LonMark/Directory #1"
gio_ok g set Height i 600
gio_expect g "ok 600" get Height
gio_ok g set Visible b true
gio_ok g get Width
width=$reply
gio_ok g get Height
height=$reply
gio_ok g set Minimized b true
gio_error "set Width i 700" 20006 "$moved_text"
director_error 20006 "$moved_text" set Height 500
gio_expect g "$width" get Width
gio_expect g "$height" get Height
gio_ok g set Minimized b false
gio_ok g set Visible b false

step "after every error the object and the plug-in serve on"
gio_ok g send 13 7 Routers/RLX-LonMark
gio_expect g "ok Demo" get networkName
expect_eq "the plug-in process" "$pid" "$(plugin_pid)"
gio_ok g release
wait_plugin_ended "the plug-in ends with the last object released and no window shown" "$pid"

step "20006 from a plug-in the bus starts with another registry than the director's: the database it tried"
# The director's own registry holds Demo; the bus hands the next plug-in another one.
other="$work/other-registry"
RLX_REGISTRY_ROOT="$other" "$bin/rlx-reg" add 'HKLM\SOFTWARE\LonWorks' /v 'LonWorks Path' /d "$work/OtherLon" /f >/dev/null
bus_call UpdateActivationEnvironment "{'RLX_REGISTRY_ROOT': '$other'}" >/dev/null
director_error 20006 \
  "Cannot open the network Demo: The network database $work/OtherLon/Database/lns.db does not exist (registry $other). $environment_text" \
  --network Demo
bus_call UpdateActivationEnvironment "{'RLX_REGISTRY_ROOT': '$work/registry'}" >/dev/null
wait_plugin_ended "the plug-in on the other registry ends"
echo "errors: ok"
