#!/usr/bin/env bash
# Starts the program as a new user would and ends it with SIGTERM.
# Passes when the config folder is made with mode 0700, the window appears,
# the exit code is 0 and the browser engine printed nothing.
program=$1
source "$(dirname "$0")/e2e_lib.sh"
e2e_setup
display_or_offscreen

# The list files are the user's alone, whatever the umask.
umask 022
start_program program.log
waitfor 100 test -d "$home/.config/QuarlenMessenger" || fail "no config folder"
mode=$(stat -c %a "$home/.config/QuarlenMessenger")
[ "$mode" = 700 ] || fail "config folder mode $mode, not 700"
if [ -n "${DISPLAY:-}" ] && command -v xdotool >/dev/null; then
  waitfor 50 has_main_window $pid || fail "no window titled $program_title"
  found=$(main_window $pid)
  waitfor 50 is_mapped "$found" || fail "the window titled $program_title is not shown"
  # The caption the window manager shows, with nothing appended.
  if command -v xprop >/dev/null; then
    net=$(xprop -id "$found" _NET_WM_NAME)
    wm=$(xprop -id "$found" WM_NAME)
    [ "$net" = "_NET_WM_NAME(UTF8_STRING) = \"$program_title\"" ] || fail "caption: $net"
    case "$wm" in *" = \"$program_title\"") ;; *) fail "caption: $wm" ;; esac
  fi
fi
sleep 1
kill -0 $pid 2>/dev/null || fail "the program ended by itself"
stop_program $pid
[ $code -eq 0 ] || fail "exit code $code"
# The browser engine keeps its settings dump and its log off the terminal.
! grep -qE '^qt\.webengine|^\[[0-9:/.]+(ERROR|WARNING|INFO)|OpenGL|graphics backend' "$home/program.log" || fail "the engine's log reached the terminal"
echo "PASS"
