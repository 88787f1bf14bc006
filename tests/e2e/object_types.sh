#!/usr/bin/env bash
# "Configure" on every object a director can name: the LonMark router itself,
# each of its LonMark objects (the three modems, the two directories, the
# device globals) and the explicit router. For each, a fresh plug-in is
# started by activation, and what opened is read three ways: the window's
# screenshot (named after the window), the director's Visible, Height and
# Width, and what each router received.
#   object_types.sh BIN_DIR DBUS_DIR
set -euo pipefail
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_bus "$@"

shots="$work/screenshots"
lonmark=Routers/RLX-LonMark
explicit=Routers/RLX-Explicit

step "a LonWorks tree with the plug-in installed and the Demo network, its clock frozen"
setup_demo_tree
"$lnsdb" clock freeze >/dev/null

# What the plug-in shows is photographed into $shots (the bus hands the
# variable to every plug-in it starts).
bus_call UpdateActivationEnvironment "{'RLX_SCREENSHOT_DIR': '$shots'}" >/dev/null

declare -A size_of  # window -> "height width" as the director read it

# configure_case PATH WINDOW LONMARK-REQUESTS EXPLICIT-REQUESTS
# The window WINDOW opens on PATH, and no other. The LonMark router received
# exactly the given requests (one a line, "" for none); the explicit router,
# which its window goes on polling, received the given ones first (or none).
configure_case() {
  local path=$1 window=$2 want_lonmark=$3 want_explicit=$4 props size other pid
  step "Configure $path opens $window"
  "$lnsdb" traffic --clear >/dev/null
  rm -rf "$shots"
  "$director" --network Demo --show configure "$path" || fail "configure $path"
  wait_for "$window is photographed" 100 test -s "$shots/$window.png"
  # (a window photographed again is written beside its file first, then renamed)
  expect_eq "the windows shown" "$window.png" "$(ls "$shots" | grep -v "\.part\.png$")"
  props=$("$director" get Visible get Height get Width)
  expect_eq "Visible" "true" "$(sed -n 1p <<<"$props")"
  size=$(sed -n '2,3p' <<<"$props" | paste -sd' ')
  if [ -n "${size_of[$window]:-}" ]; then
    expect_eq "$window's size as the director reads it" "${size_of[$window]}" "$size"
  else
    for other in "${!size_of[@]}"; do
      [ "${size_of[$other]}" != "$size" ] || fail "$window has the size of $other ($size)"
    done
    size_of[$window]=$size
  fi
  expect_eq "what $lonmark received" "$want_lonmark" "$(traffic "$lonmark")"
  if [ -z "$want_explicit" ]; then
    expect_eq "what $explicit received" "" "$(traffic "$explicit")"
  else
    expect_lines "what $explicit received" "$want_explicit" "$(traffic "$explicit")"
  fi
  # Hidden and let go, the plug-in ends, whichever window it was.
  pid=$(plugin_pid)
  "$director" hide
  wait_plugin_ended "the plug-in ends once $window is hidden" "$pid"
}

ring='00 01 55 00 03'         # ring status start: every main window sends it on open
modem_setting='00 01 73 02'   # is the internal modem fitted?
configure_case "$lonmark" fMain "$ring" ""
# A modem object: that modem's status, by its selector (the internal modem is fitted).
configure_case "$lonmark/Internal Modem" fMain "$(printf '%s\n' "$ring" "$modem_setting" '00 01 53 00' '00 01 34 00 00')" ""
configure_case "$lonmark/External Modem #1" fMain "$(printf '%s\n' "$ring" "$modem_setting" '00 01 53 02')" ""
configure_case "$lonmark/External Modem #2" fMain "$(printf '%s\n' "$ring" "$modem_setting" '00 01 53 03')" ""
# The directories open the phonebook editor on the database's copy: the router hears nothing.
configure_case "$lonmark/Directory #1" fPhoneBook "" ""
configure_case "$lonmark/Directory #2" fPhoneBook "" ""
# The device globals: no modem is asked about.
configure_case "$lonmark/Device Globals" fMain "$(printf '%s\n' "$ring" "$modem_setting")" ""
# The explicit router, named as a device like the LonMark one, is told apart
# by its program identifier: probe, firmware, auto answer for its three
# modems, ring mode and phonebook support.
configure_case "$explicit" fMainExplicit "" "$(printf '%s\n' "$ring" '00 01 48 00' '00 01 65 00 01' \
  '00 01 65 02 01' '00 01 65 03 01' '00 01 72 00 02' '00 01 66 00 02 00')"

echo "   sizes (height width): fMain ${size_of[fMain]}, fMainExplicit ${size_of[fMainExplicit]}," \
  "fPhoneBook ${size_of[fPhoneBook]}"
echo "object types: ok"
