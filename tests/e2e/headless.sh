#!/usr/bin/env bash
# RLX_Plug and Enrol where nobody can answer: an installer without a desktop,
# a DISPLAY naming a server that is gone, a plug-in started without a display.
# Nothing may wait: every message box is written to standard error, the
# switches end with an exit code that tells whether the registration worked,
# and a start that needs the operator says what it would have asked and ends.
# Each run is bounded with timeout, so a hang fails instead of blocking.
#   headless.sh BIN_DIR DBUS_DIR
set -euo pipefail
source "$(dirname "$0")/e2e_lib.sh"
e2e_private_bus "$@"

# headless SECONDS COMMAND...: runs without any display, for at most SECONDS.
headless() {
  local seconds=$1
  shift
  timeout -k 2 "$seconds" env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"
}
# expect_stderr DESCRIPTION LINE: $work/err holds exactly that line.
expect_stderr() { grep -qxF -- "$2" "$work/err" || { cat "$work/err" >&2; fail "$1: no line '$2'"; }; }

# A display number no server uses: no socket, no lock file.
dead=99
while [ -e "/tmp/.X11-unix/X$dead" ] || [ -e "/tmp/.X$dead-lock" ]; do dead=$((dead + 1)); done

step "--help and --version answer at once, without a display"
expect_code 0 headless 5 "$bin/RLX_Plug" --help
grep -q '^Usage: RLX_Plug \[/regplugin | /deregplugin | -Embedding | --help | --version\]$' "$work/out" ||
  fail "--help: $(cat "$work/out")"
expect_code 0 headless 5 "$bin/RLX_Plug" --version
expect_eq "--version" "RLX_Plug 2.10b" "$(cat "$work/out")"
expect_code 0 timeout 5 env DISPLAY=":$dead" "$bin/RLX_Plug" "/?"
grep -q '^Usage: RLX_Plug' "$work/out" || fail "/? with a display that is gone"

step "/regplugin without a display and without one interface file: the box on stderr, exit code 1"
mkdir -p "$lon/Import" "$lon/Types" "$lon/bin"
"$bin/rlx-reg" add 'HKLM\SOFTWARE\LonWorks' /v 'LonWorks Path' /d "$lon" /f >/dev/null
# The program finds its files in the data folder that goes with its own
# folder (share/rlx-plug beside bin/): a copy with one XIF missing.
prog="$work/prefix/bin"
data="$work/prefix/share/rlx-plug"
mkdir -p "$prog" "$data/xif"
cp "$bin/RLX_Plug" "$prog/"
cp -r "$bin/../share/rlx-plug/Resource" "$data/"
cp "$bin/../share/rlx-plug/xif/Rlxtlc32.xif" "$data/xif/"
expect_code 1 headless 20 "$prog/RLX_Plug" /regplugin
expect_stderr "the box" "RLX_Plug: [message] File Copy Error: Unable to find file $data\\xif\\Rlxtlc20.xif"
expect_stderr "the outcome" \
  "RLX_Plug: /regplugin did not complete: Unable to find file $data\\xif\\Rlxtlc20.xif"
# The registration itself went on, as it does with a display.
"$bin/rlx-reg" query 'HKLM\SOFTWARE\LonWorks\LCA\Plug-Ins\RLX_Plug' /v DirPath | grep -qF "$prog" ||
  fail "the registration did not go on after the box"

step "/deregplugin and /regplugin without a display, everything in place: exit code 0, nothing on stderr"
expect_code 0 headless 20 "$bin/RLX_Plug" /deregplugin
expect_code 0 headless 20 "$bin/RLX_Plug" /regplugin
[ ! -s "$work/err" ] || { cat "$work/err" >&2; fail "a clean /regplugin wrote to stderr"; }
"$bin/rlx-reg" query 'HKLM\SOFTWARE\LonWorks\LCA\Plug-Ins\RLX_Plug' /v DirPath | grep -qF "$bin" ||
  fail "not registered from $bin"

step "a DISPLAY whose server is gone: the switches go on offscreen"
expect_code 0 timeout -k 2 20 env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=":$dead" "$bin/RLX_Plug" /deregplugin
grep -qF "RLX_Plug: the display :$dead cannot be opened (no X server listens at /tmp/.X11-unix/X$dead" "$work/err" ||
  { cat "$work/err" >&2; fail "the display that is gone is not named"; }
expect_code 0 timeout -k 2 20 env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=":$dead" "$bin/RLX_Plug" /regplugin

step "Enrol with a DISPLAY whose server is gone: its ten seconds offscreen, exit code 0"
start=$(date +%s)
expect_code 0 timeout -k 2 30 env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=":$dead" "$bin/Enrol"
grep -qF "Enrol: the display :$dead cannot be opened" "$work/err" || { cat "$work/err" >&2; fail "Enrol's stderr"; }
[ $(($(date +%s) - start)) -le 20 ] || fail "Enrol took $(($(date +%s) - start)) s"

step "the registration dialog without a display: what it would ask, exit code 2"
expect_code 2 headless 10 "$bin/RLX_Plug"
expect_stderr "the dialog" \
  "RLX_Plug: [window] RLX_Plug (Register Plug-in*/Deregister Plug-in/Exit) -> nobody is there to answer"
expect_stderr "the hint" "RLX_Plug: without a display, register the plug-in with \"RLX_Plug /regplugin\" and remove it with \"RLX_Plug /deregplugin\""

step "-Embedding without a display: a question for the operator ends the plug-in, the director is not left waiting"
"$lnsdb" demo >/dev/null
"$lnsdb" clock freeze >/dev/null
"$lnsdb" fault Routers/RLX-Explicit no-answer >/dev/null
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/RLX_Plug" -Embedding 2>"$work/plugin.err" &
plugin=$!
e2e_pids+=("$plugin")
wait_for "the plug-in serves" 100 plugin_up
rc=0
timeout -k 2 60 "$director" --network Demo configure Routers/RLX-Explicit >"$work/out" 2>"$work/err" || rc=$?
[ "$rc" -ne 0 ] && [ "$rc" -ne 124 ] || { cat "$work/err" >&2; fail "the director: exit code $rc"; }
wait_for "the plug-in ends" 100 process_gone "$plugin"
rc=0
wait "$plugin" || rc=$?
expect_eq "the plug-in's exit code" 2 "$rc"
grep -qE '^RLX_Plug: \[window\] Connection Error: No response from .*\(Yes\*/No/Cancel\) -> nobody is there to answer; RLX_Plug ends \(exit code 2\)$' \
  "$work/plugin.err" || { cat "$work/plugin.err" >&2; fail "the question on the plug-in's stderr"; }
wait_plugin_ended "a plug-in the director's leaving may have started ends"
echo "headless: ok"
