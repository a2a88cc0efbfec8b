# Sourced by every end-to-end run of the real program (and by tools/test and
# tools/package-test for their display): a fresh home folder, a private Xvfb,
# the stand-in browser, starting the program and finding its window.
# Sourcing only defines; e2e_setup makes the home folder, and everything
# started through these functions ends with the script.
e2e_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# The main window's caption, nothing appended; CTest hands over project()'s QUARLEN_VERSION.
program_title="Quarlen Messenger ${QUARLEN_VERSION:-}"
started_pids=()

# waitfor TENTHS COMMAND...: true once COMMAND succeeds, false after TENTHS tenths of a second.
waitfor() {
  local tries=$1
  shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
  return 1
}

# skip REASON: CTest counts exit code 77 as a skipped test.
skip() { echo "SKIP: $*"; exit 77; }

# start_xvfb: a private Xvfb on a display number the server picks itself, so
# two runs never race for one; exports DISPLAY and sets xvfb_pid. A number
# another server let go of a moment ago can still refuse the first client,
# so a second server is tried before it gives up.
start_xvfb() { start_xvfb_once || start_xvfb_once; }

start_xvfb_once() {
  local numfile
  numfile=$(mktemp)
  Xvfb -displayfd 4 -screen 0 1280x1024x24 -nolisten tcp 4>"$numfile" 2>/dev/null &
  xvfb_pid=$!
  started_pids+=("$xvfb_pid")
  waitfor 100 grep -q '[0-9]' "$numfile" || { rm -f "$numfile"; return 1; }
  export DISPLAY=:$(tr -dc 0-9 <"$numfile")
  rm -f "$numfile"
  waitfor 50 eval 'xdpyinfo >/dev/null 2>&1'
}

# e2e_setup: a fresh home folder in $home, removed with everything started here at exit.
e2e_setup() {
  set -u
  home=$(mktemp -d)
  export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---no-sandbox}"
  trap 'for h in "${exit_hooks[@]}"; do eval "$h"; done
        for p in "${started_pids[@]}"; do kill -KILL "$p" 2>/dev/null; wait "$p" 2>/dev/null; done; rm -rf "$home"' EXIT
}
# Commands run at exit before the started processes are ended (for servers that leave their own daemons).
exit_hooks=()

# private_network VAR [HOSTS]: a network namespace of its own, with nothing but
# its own loopback (up), held open by a sleeping process until the script ends;
# VAR becomes the command that runs a command there ("${VAR[@]}" COMMAND...,
# which execs COMMAND, so "$!" after "&" is COMMAND's pid). With HOSTS, that
# file is /etc/hosts there (in a mount namespace of its own). False where the
# system allows none. Without root the namespaces come with a user namespace.
private_network() {
  local -n netns_command=$1
  local hosts=${2:-} flags=(-n) enter=(-n)
  [ -z "$hosts" ] || { flags+=(-m); enter+=(-m); }
  [ "$(id -u)" -eq 0 ] || { flags+=(-r); enter+=(-U --preserve-credentials); }
  unshare "${flags[@]}" sh -c '[ -z "$1" ] || mount --bind "$1" /etc/hosts || exit 1
    ip link set lo up && exec sleep 100000' sh "$hosts" 2>/dev/null &
  started_pids+=($!)
  netns_command=(nsenter -t $! "${enter[@]}" --)
  waitfor 50 loopback_up "${netns_command[@]}"
}
loopback_up() { [ -n "$("$@" ip -o link show lo up 2>/dev/null)" ]; }

# fail REASON: says why, shows every log of the run and ends the script.
fail() {
  echo "FAIL: $*"
  for f in "$home"/*.log "$home"/*/*.log; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done
  exit 1
}

# needs_display: skips the test without a display to click in.
needs_display() { [ -n "${DISPLAY:-}" ] && command -v xdotool >/dev/null || skip "needs a display and xdotool"; }
# display_or_offscreen: the display the test command gives, else Qt's offscreen platform.
display_or_offscreen() { [ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen; }

# start_port_server SCRIPT OUTPUT ARG...: a loopback server of this folder that
# writes its port to $home/port and what it receives to $home/OUTPUT; sets $port.
start_port_server() {
  python3 "$e2e_here/$1" "$home/port" "$home/$2" "${@:3}" &
  started_pids+=($!)
  waitfor 50 test -s "$home/port" || fail "$1 did not start"
  port=$(cat "$home/port")
}

# stand_in_browser: xdg-open first on the program's PATH, recording its
# arguments ("count args") a line each in $home/opened.
stand_in_browser() {
  mkdir -p "$home/bin"
  printf '#!/bin/sh\necho "$# $*" >>"%s/opened"\n' "$home" >"$home/bin/xdg-open"
  chmod +x "$home/bin/xdg-open"
}

# network_settings PORT AUTHENTICATION [USER [PASSWORD]]: a KVTNetworkSettings.xml
# that sends every request through the proxy 127.0.0.1:PORT (AUTHENTICATION
# True or False; the password as XML text).
network_settings() {
  mkdir -p "$home/.config"
  printf '<?xml version="1.0" encoding="iso-8859-1"?>\r\n<Configuration>\r\n  <UseProxy>True</UseProxy>\r\n  <UseProxyAuthentication>%s</UseProxyAuthentication>\r\n  <Hostname>127.0.0.1</Hostname>\r\n  <Port>%s</Port>\r\n  <Username>%s</Username>\r\n  <Password>%s</Password>\r\n</Configuration>\r\n' \
    "$2" "$1" "${3:-}" "${4:-}" >"$home/.config/KVTNetworkSettings.xml"
}

# put_list NAME ENTRY...: the stored list kvt_NAME_list.dat in the fresh home's
# config folder, one entry a line, as the program writes it.
put_list() {
  local file=$1
  shift
  mkdir -p "$home/.config/QuarlenMessenger"
  printf '%s\r\n' "$@" >"$home/.config/QuarlenMessenger/kvt_${file}_list.dat"
}

# start_program LOG: $program in the fresh home (the stand-in browser first on
# its PATH), its output in $home/LOG; sets $pid. A command in program_prefix
# (one that execs the rest, such as the one private_network gives) goes first.
program_prefix=()
start_program() {
  HOME=$home XDG_CONFIG_HOME= PATH=$home/bin:$PATH "${program_prefix[@]}" "$program" >"$home/$1" 2>&1 &
  pid=$!
  started_pids+=("$pid")
}

# stop_program PID: SIGTERM, as a session logout sends; sets $code to the exit code.
stop_program() {
  kill -TERM "$1"
  waitfor 100 has_ended "$1" || fail "SIGTERM did not end the program"
  wait "$1"; code=$?
}
has_ended() { ! kill -0 "$1" 2>/dev/null; }

# main_window PID: the id of the program's main window (mapped or not). A
# search that meets a window vanishing under it (the browser engine makes and
# drops some) finds nothing, so a caller that needs the id asks again.
find_main_window() { xdotool search --all --pid "$1" --name "^${program_title//./\\.}\$" 2>/dev/null | head -1; }
main_window() {
  local w
  for _ in 1 2 3; do
    w=$(find_main_window "$1")
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  return 1
}
has_main_window() { [ -n "$(find_main_window "$1")" ]; }
# Never without a window id: xwininfo would wait for a click on the screen.
is_mapped() { [ -n "$1" ] && xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
is_unmapped() { [ -n "$1" ] && xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsUnMapped'; }
