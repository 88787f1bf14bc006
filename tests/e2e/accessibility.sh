#!/usr/bin/env bash
# The operator who works with a screen reader: RLX_Plug on a (virtual) screen,
# started by a director, driven through the desktop's accessibility bus
# (AT-SPI) alone. The explicit window's firmware and telephone state are read;
# a number is dialled by setting the phone field and pressing Dial; the
# connection statistics are read; a phonebook entry is changed with key
# strokes and saved.
#   accessibility.sh BIN_DIR DBUS_DIR
set -euo pipefail
E2E_SCREEN=1
E2E_ACCESSIBLE=1
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_bus "$@"

router=Routers/RLX-Explicit
main="RLX/Plug "  # the explicit window's title, with its trailing blank
received() { traffic "$router" | grep -qxF -- "$1"; }
shows() { a11y_shows "$1" "$2" "$3"; }

step "a LonWorks tree with the plug-in installed and the Demo network"
setup_demo_tree
gio_start d
gio_ok d create
gio_ok d set networkName s Demo
gio_ok d send 13 7 "$router"
gio_ok d set Visible b true

step "the window reads its firmware and the line's state"
wait_for "the firmware is read out" 100 shows "$main" label "RLX Firmware: RLX Explicit 2.10"
wait_for "the telephone state is read out" 100 shows "$main" label TEL_NOTINUSE
shows "$main" combo\ box "Internal Modem" || fail "the modem choice is not read out"

step "a number set in the phone field and Dial pressed"
"$lnsdb" traffic --clear "$router" >/dev/null
a11y set-text "$main" "combo box" "Phone Number:" 5551234
a11y press "$main" "push button" Dial
wait_for "the router receives the dial request" 100 received "00 01 32 00 53 53 53 49 50 51 52 0"

step "the connection statistics read out"
# The dialog is modal: the menu item's press returns when it closes.
a11y press "$main" "menu item" "Connection Statistics" &
opener=$!
wait_for "the statistics window" 100 a11y_shows "Connection Statistics" "push button" Exit
labels=$(a11y labels "Connection Statistics")
for caption in "Carrier Lost:" "Heartbeat Lost:" "Successful Connections:" "Retrain Attempts:"; do
  grep -qxF -- $'label\t'"$caption" <<<"$labels" || fail "no caption '$caption': $labels"
done
# Each counter reads as its number, not as its caption.
[ "$(grep -cE $'^label\t[0-9]+$' <<<"$labels")" -ge 11 ] || fail "the counters are not read out: $labels"
a11y press "Connection Statistics" "push button" Exit
wait "$opener" || fail "the statistics window did not close"

step "a phonebook entry changed with key strokes and saved"
a11y press "$main" "menu item" Phonebook &
opener=$!
wait_for "the phonebook editor" 100 a11y_shows Phonebook "menu item" File
a11y type Phonebook text Number 5550100
a11y key Phonebook Tab
a11y type Phonebook text Description "Night line"
a11y press Phonebook "menu item" Exit &
closer=$!
wait_for "the question about the changes" 100 a11y_shows "Save Changes?" "push button" Yes
a11y press "Save Changes?" "push button" Yes
wait "$closer" || fail "the editor did not close"
wait "$opener" || true
wait_for "the router stores the entry" 100 received "00 01 66 00 01 00 53 53 53 48 49 48 48 00"
"$lnsdb" records "$router" | grep -qxF -- $'ZevExplicitPhonebook0\t5550100\tNight line\t5550100' ||
  fail "the entry in the database: $("$lnsdb" records "$router" | grep ZevExplicitPhonebook0)"

step "the director hides the window and lets go: the plug-in ends"
pid=$(plugin_pid)
gio_ok d set Visible b false
gio_ok d release
wait_plugin_ended "the plug-in ends" "$pid"
echo "accessibility: ok"
