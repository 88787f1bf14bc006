#!/usr/bin/env bash
# Remote mode: a director names a remote network interface (made with
# rlx-lnsdb add-interface) before the network, goes back to local work, and sets
# Remote itself; after each switch the network opens again and the routers
# are reached. An interface that does not exist fails the opening (20006)
# and leaves the plug-in able to open the network again.
#   remote.sh BIN_DIR DBUS_DIR
set -euo pipefail
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_bus "$@"

step "a LonWorks tree with the Demo network, a second network Plant and a remote interface"
setup_demo_tree
"$lnsdb" clock freeze >/dev/null
"$lnsdb" add-interface LON-Remote >/dev/null
"$lnsdb" create-network Plant --subsystem Routers >/dev/null
"$lnsdb" add-device --network Plant Routers RLX-Plant --family explicit >/dev/null
expect_eq "the interfaces" "LON-Remote" "$("$lnsdb" list interfaces)"

# configured NETWORK DEVICE: a Configure of the device reached it.
configured() {
  "$lnsdb" traffic --clear >/dev/null
  gio_ok r send 13 7 "Routers/$2"
  "$lnsdb" traffic --network "$1" "Routers/$2" | grep -q $'\t00 01 55 00 03$' ||
    fail "Routers/$2 in $1 was not reached: $("$lnsdb" traffic --network "$1" "Routers/$2")"
}

step "NetworkInterfaceName, then networkName: the server works remotely"
gio_start r
gio_ok r create
gio_expect r "ok false" get Remote
gio_ok r set NetworkInterfaceName s LON-Remote
gio_ok r set networkName s Demo
gio_expect r "ok true" get Remote
gio_expect r "ok LON-Remote" get NetworkInterfaceName
configured Demo RLX-LonMark
# The interface name belongs to the object; the server's mode to the process.
expect_eq "another director's view" $'\ntrue\nDemo' "$("$director" get NetworkInterfaceName get Remote get networkName)"

step "an empty interface name and another network: back to local work"
gio_ok r set NetworkInterfaceName s ""
gio_ok r set networkName s Plant
gio_expect r "ok false" get Remote
gio_expect r "ok Plant" get networkName
configured Plant RLX-Plant

step "remote again, on Demo"
gio_ok r set NetworkInterfaceName s LON-Remote
gio_ok r set networkName s Demo
gio_expect r "ok true" get Remote
configured Demo RLX-LonMark

step "Remote set by the director reopens the server; the network opens again after it"
gio_ok r set Remote b false
gio_expect r "ok false" get Remote
gio_ok r set NetworkInterfaceName s ""
gio_ok r set networkName s Demo
gio_expect r "ok false" get Remote
configured Demo RLX-LonMark
gio_ok r set Remote b true
gio_expect r "ok true" get Remote
gio_ok r set networkName s Demo   # no interface named: local again
gio_expect r "ok false" get Remote
configured Demo RLX-LonMark

step "an interface that does not exist: 20006, and the network opens again afterwards"
gio_ok r set NetworkInterfaceName s NoSuchInterface
gio r set networkName s Plant
expect_eq "the unknown interface" \
  "error RLX_Plug.Error.E20006"$'\t'"Cannot open the network Plant: there is no network interface \"NoSuchInterface\"" \
  "$reply"
gio_expect r "ok Demo" get networkName
gio_ok r set NetworkInterfaceName s ""
gio_ok r set networkName s Demo
gio_expect r "ok false" get Remote
configured Demo RLX-LonMark

step "the director lets go: the plug-in ends"
pid=$(plugin_pid)
gio_ok r release
wait_plugin_ended "the plug-in ends" "$pid"
echo "remote: ok"
