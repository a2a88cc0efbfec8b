#!/usr/bin/env bash
# Starts the program as a new user would and ends it with SIGTERM.
# Passes when the config folder is made with mode 0700, the window appears,
# the exit code is 0 and the browser engine printed nothing.
set -u
program=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
if [ -z "${DISPLAY:-}" ]; then export QT_QPA_PLATFORM=offscreen; fi
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---no-sandbox}"

umask 022
HOME=$home XDG_CONFIG_HOME= "$program" >"$home/log" 2>&1 &
pid=$!
fail() { echo "FAIL: $*"; cat "$home/log"; kill -KILL $pid 2>/dev/null; exit 1; }

for _ in $(seq 100); do
  [ -d "$home/.config/QuarlenMessenger" ] && break
  sleep 0.1
done
[ -d "$home/.config/QuarlenMessenger" ] || fail "no config folder"
# The list files are the user's alone, whatever the umask.
mode=$(stat -c %a "$home/.config/QuarlenMessenger")
[ "$mode" = 700 ] || fail "config folder mode $mode, not 700"
if [ -n "${DISPLAY:-}" ] && command -v xdotool >/dev/null; then
  found=""
  for _ in $(seq 50); do
    found=$(xdotool search --all --onlyvisible --pid $pid --name "^Quarlen Messenger 1\.2\.5\.149$" 2>/dev/null | head -1)
    [ -n "$found" ] && break
    sleep 0.1
  done
  [ -n "$found" ] || fail "no window titled Quarlen Messenger 1.2.5.149"
  # The caption the window manager shows, with nothing appended.
  if command -v xprop >/dev/null; then
    net=$(xprop -id "$found" _NET_WM_NAME)
    wm=$(xprop -id "$found" WM_NAME)
    [ "$net" = '_NET_WM_NAME(UTF8_STRING) = "Quarlen Messenger 1.2.5.149"' ] || fail "caption: $net"
    case "$wm" in *' = "Quarlen Messenger 1.2.5.149"') ;; *) fail "caption: $wm" ;; esac
  fi
fi
sleep 1
kill -0 $pid 2>/dev/null || fail "the program ended by itself"
kill -TERM $pid
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "SIGTERM did not end the program"
wait $pid
code=$?
[ $code -eq 0 ] || fail "exit code $code"
# The browser engine keeps its settings dump and its log off the terminal.
! grep -qE '^qt\.webengine|^\[[0-9:/.]+(ERROR|WARNING|INFO)' "$home/log" || fail "the engine's log reached the terminal"
echo "PASS"
