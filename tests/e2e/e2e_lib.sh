# Shared by the end-to-end scripts that drive the real RLX_Plug over a private
# session bus. A script sources it and calls e2e_private_bus first:
#
#   source "$(dirname "$0")/e2e_lib.sh"
#   e2e_private_bus "$@"        # BIN_DIR DBUS_DIR
#
# The first run of the script makes a temporary folder, starts a session bus
# of its own (the build tree's session.conf, so the bus starts RLX_Plug from
# the build tree) and runs the script again inside it. The windows are drawn
# offscreen, or, when the script sets E2E_SCREEN=1 before the call, on a
# virtual screen (Xvfb) of the run's own, where xdotool can answer them; with
# E2E_ACCESSIBLE=1 as well, the run has the desktop's accessibility bus, and
# a11y_labels reads a window as a screen reader does. Every file of the run
# stays in that folder: registry, LonWorks tree, runtime and cache folders,
# screenshots. When the bus has gone, no process of the run may be left: each
# one carries the run's folder in its environment (RLX_E2E_WORK), which is how
# the outer run finds a leftover; it is reported, ended and fails the test.

e2e_here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "== $*"; }

# The processes of this run (their environment names the run's folder), but
# not the ones that have ended already (a zombie's environment is empty).
e2e_run_processes() {
  grep -lzxF "RLX_E2E_WORK=$1" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 || true
}

# e2e_private_folder BIN_DIR: for a script that needs no bus, a temporary
# folder with a registry of its own ($work, $lon, $bin, $lnsdb), removed at the end.
e2e_private_folder() {
  bin="$(cd "$1" && pwd)"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  lon="$work/LonWorks"
  lnsdb="$bin/rlx-lnsdb"
  director="$bin/lns-director"
  export RLX_REGISTRY_ROOT="$work/registry" QT_QPA_PLATFORM=offscreen
  unset DISPLAY WAYLAND_DISPLAY
}

# expect_code CODE COMMAND...: the command's exit code; its output is left in
# $work/out and $work/err.
expect_code() {
  local want=$1 got
  shift
  set +e
  "$@" >"$work/out" 2>"$work/err"
  got=$?
  set -e
  [ "$got" -eq "$want" ] || { cat "$work/out" "$work/err" >&2; fail "exit $got, wanted $want: $*"; }
}

# e2e_private_bus BIN_DIR DBUS_DIR: the script runs again on a bus of its own.
# E2E_SESSION_CONF names another session configuration (an installation's),
# and E2E_BEFORE_BUS a function the first run calls in the new folder
# ($work) before the bus starts.
e2e_private_bus() {
  bin="$(cd "$1" && pwd)"
  dbus_dir="$(cd "$2" && pwd)"
  if [ -n "${RLX_E2E_ON_PRIVATE_BUS:-}" ]; then
    work="$RLX_E2E_WORK"
    lon="$work/LonWorks"
    director="$bin/lns-director"
    lnsdb="$bin/rlx-lnsdb"
    trap e2e_inner_cleanup EXIT
    if [ -n "${E2E_ACCESSIBLE:-}" ]; then
      # The accessibility bus, announced on this session bus, before any window.
      /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
      e2e_pids+=("$!")
      disown "$!"
      wait_for "the accessibility bus" 100 a11y_bus_up
    fi
    return 0
  fi
  local rc=0 left i xvfb="" display=""
  work=$(mktemp -d)
  mkdir -p -m 700 "$work/runtime"
  mkdir -p "$work/config" "$work/cache" "$work/data"
  [ -z "${E2E_BEFORE_BUS:-}" ] || "$E2E_BEFORE_BUS"
  if [ -n "${E2E_SCREEN:-}" ]; then
    # Xvfb picks a free display number itself, so runs side by side never share one.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb=$!
    for ((i = 0; i < 100; i++)); do [ -s "$work/display" ] && break; sleep 0.1; done
    display=":$(tr -d '[:space:]' <"$work/display")"
    [ "$display" != ":" ] || { kill "$xvfb"; rm -rf "$work"; fail "Xvfb did not start"; }
  fi
  (
    export RLX_E2E_WORK="$work" RLX_E2E_ON_PRIVATE_BUS=1
    # Everything the activated RLX_Plug needs comes from the bus's environment.
    export RLX_REGISTRY_ROOT="$work/registry" XDG_RUNTIME_DIR="$work/runtime"
    export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"
    export RLX_PLUG_IDLE_EXIT_MS=2000
    unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
    if [ -n "$display" ]; then export DISPLAY="$display"; else export QT_QPA_PLATFORM=offscreen; fi
    [ -z "${E2E_ACCESSIBLE:-}" ] || export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    exec dbus-run-session --config-file="${E2E_SESSION_CONF:-$dbus_dir/session.conf}" -- bash "$0" "$@"
  ) || rc=$?
  # The bus has gone; whatever it started must end with it.
  for ((i = 0; i < 50; i++)); do
    left=$(e2e_run_processes "$work")
    [ -z "$left" ] && break
    sleep 0.1
  done
  if [ -n "$left" ]; then
    echo "FAIL: processes of this run are still there:" >&2
    local p
    for p in $left; do echo "  $p $(tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null)" >&2; done
    kill -9 $left 2>/dev/null || true
    rc=1
  fi
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
  exit "$rc"
}

# --- inside the bus -----------------------------------------------------------

e2e_pids=()  # processes the script started; ended by the cleanup

e2e_inner_cleanup() {
  local p name i
  # The GDBus directors end when their input closes.
  for name in "${!gio_in[@]}"; do gio_close "$name"; done
  for name in "${!gio_pid[@]}"; do
    for ((i = 0; i < 20; i++)); do process_gone "${gio_pid[$name]}" && break; sleep 0.1; done
  done
  # With their children: the accessibility bus launcher's own bus daemon, say.
  for p in "${e2e_pids[@]}"; do
    pkill -9 -P "$p" 2>/dev/null || true
    kill -9 "$p" 2>/dev/null || true
  done
  # A plug-in still serving when the script ends (a failure midway) ends too:
  # the bus going away does not end a plug-in whose window is shown.
  p=$(plugin_pid 2>/dev/null || true)
  [ -n "$p" ] && kill -9 "$p" 2>/dev/null || true
  return 0
}

bus_call() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method "org.freedesktop.DBus.$1" "${@:2}"
}
plugin_up() { bus_call NameHasOwner RLX_Plug.LNSPlugInAPI | grep -q true; }
a11y_bus_up() { bus_call NameHasOwner org.a11y.Bus | grep -q true; }
plugin_down() { ! plugin_up; }
plugin_pid() { bus_call GetConnectionUnixProcessID RLX_Plug.LNSPlugInAPI 2>/dev/null | sed -nE 's/.*uint32 ([0-9]+).*/\1/p'; }
# The object paths the plug-in serves, one a line.
plugin_objects() {
  gdbus introspect --session --dest RLX_Plug.LNSPlugInAPI --object-path /RLX_Plug/LNSPlugInAPI 2>/dev/null |
    sed -nE 's|.*node ([0-9]+) .*|/RLX_Plug/LNSPlugInAPI/\1|p'
}
# A process has gone when it no longer exists or has ended and waits only to be reaped.
process_gone() { [ ! -e "/proc/$1" ] || [ "$(sed -E 's/.*\) ([A-Z]).*/\1/' "/proc/$1/stat" 2>/dev/null)" == Z ]; }

# Polls a condition for at most the given number of tenths of a second.
wait_for() {
  local what=$1 tenths=$2 i
  shift 2
  for ((i = 0; i < tenths; i++)); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  fail "timed out waiting until $what"
}

# wait_plugin_ended [DESCRIPTION [PID]]: waits until the plug-in has left the
# bus and its process (PID, or the one serving now) has ended.
wait_plugin_ended() {
  local pid=${2:-}
  [ -n "$pid" ] || pid=$(plugin_pid || true)
  wait_for "${1:-the plug-in ends}" 100 plugin_down
  [ -z "$pid" ] || wait_for "the plug-in's process is gone" 100 process_gone "$pid"
}

# A LonWorks tree with the plug-in installed and the network Demo.
setup_demo_tree() {
  mkdir -p "$lon/Import" "$lon/Types" "$lon/bin"
  ln -sf "$bin/XIF32BIN" "$lon/bin/XIF32BIN"
  "$bin/rlx-reg" add 'HKLM\SOFTWARE\LonWorks' /v 'LonWorks Path' /d "$lon" /f >/dev/null
  "$bin/RLX_Plug" /regplugin
  "$lnsdb" demo >/dev/null
}

# The request texts a router received, oldest first.
traffic() { "$lnsdb" traffic "$1" | awk -F'\t' '{ print $NF }'; }

# The network time now (the clock frozen by "rlx-lnsdb clock freeze" moves only by "advance").
clock_now() { "$lnsdb" clock show | sed -E 's/^Network time ([^ ]+).*/\1/'; }
# polled_since ROUTER TIME OUTCOME: the router logged a status poll ("00 01 53 00")
# at TIME or later with that outcome ("ok", "no answer", ...).
polled_since() {
  "$lnsdb" traffic "$1" | awk -F'\t' -v t="$2" -v o="$3" \
    '$1 >= t && $2 == o && $NF == "00 01 53 00" { found = 1 } END { exit !found }'
}

# expect_lines DESCRIPTION EXPECTED ACTUAL: the actual text starts with the expected lines.
expect_lines() {
  local what=$1 expected=$2 actual=$3 n
  n=$(printf '%s\n' "$expected" | wc -l)
  [ "$(printf '%s\n' "$actual" | head -n "$n")" == "$expected" ] ||
    { diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual" | head -n "$n") >&2; fail "$what"; }
}

# expect_eq DESCRIPTION EXPECTED ACTUAL
expect_eq() {
  [ "$2" == "$3" ] || { diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") >&2; fail "$1"; }
}

# a11y COMMAND TITLE ...: works RLX_Plug's window TITLE through the
# accessibility bus alone (E2E_ACCESSIBLE=1): labels, press, set-text, type,
# key (tests/e2e/a11y.py says how).
a11y() { /usr/bin/python3 "$e2e_here/a11y.py" "$@"; }
# a11y_labels TITLE: the named controls as a screen reader finds them, "ROLE<TAB>NAME" a line.
a11y_labels() { a11y labels "$@"; }
# a11y_shows TITLE ROLE NAME: the window has a control of that role and name.
a11y_shows() { a11y_labels "$1" 2>/dev/null | grep -qxF -- "$2"$'\t'"$3"; }

# --- the template dialog of "Register" on the virtual screen ----------------
# register_dialog_shown: the dialog is mapped. answer_register_dialog presses
# Return (the default button "Ok"; "ALL" is chosen already) once the dialog is
# on the screen, again until it is gone: a key sent while the window is still
# being mapped can be lost.
register_dialog_id() { xdotool search --onlyvisible --name '^Register RLX_PLUG$' 2>/dev/null | head -1 || true; }
register_dialog_shown() { [ -n "$(register_dialog_id)" ]; }
answer_register_dialog() {
  local id="" seen=0
  for _ in $(seq 1 300); do
    id=$(register_dialog_id)
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

# --- directors on GLib's GDBus (gio_director.py), one connection each ---------
#
#   gio_start A              starts director A
#   gio A get Visible        one request; the answer line is in $reply
#   gio_ok A set ...         the same, failing the test unless the answer is "ok..."
#   gio_expect A ANSWER REQ  the answer must be exactly ANSWER

declare -A gio_in gio_out gio_pid

gio_python() {
  local c
  for c in /usr/bin/python3 python3; do
    if "$c" -c 'import gi; gi.require_version("Gio", "2.0"); from gi.repository import Gio' 2>/dev/null; then
      echo "$c"
      return 0
    fi
  done
  fail "no Python 3 with GObject introspection (python3-gi) for the GDBus director"
}

gio_start() {
  local name=$1 python fd
  python=$(gio_python)
  mkfifo "$work/gio-$name.in" "$work/gio-$name.out"
  "$python" "$e2e_here/gio_director.py" <"$work/gio-$name.in" >"$work/gio-$name.out" 2>"$work/gio-$name.err" &
  gio_pid[$name]=$!
  e2e_pids+=("$!")
  disown "$!"
  exec {fd}>"$work/gio-$name.in"
  gio_in[$name]=$fd
  exec {fd}<"$work/gio-$name.out"
  gio_out[$name]=$fd
}

# gio_close NAME: closes the director's input; it ends, and its connection with it.
gio_close() {
  local fd=${gio_in[$1]}
  exec {fd}>&-
  unset "gio_in[$1]"
}

gio() {
  local name=$1
  shift
  printf '%s\n' "$*" >&"${gio_in[$name]}" || fail "director $name is gone"
  reply=""
  IFS= read -r -t 60 -u "${gio_out[$name]}" reply ||
    { cat "$work/gio-$name.err" >&2; fail "director $name did not answer '$*'"; }
}

gio_ok() {
  gio "$@"
  [[ "$reply" == ok* ]] || fail "director $1: '${*:2}' answered: $reply"
}

gio_expect() {
  local name=$1 expected=$2
  shift 2
  gio "$name" "$@"
  [ "$reply" == "$expected" ] || fail "director $name: '$*' answered '$reply', expected '$expected'"
}
