#!/usr/bin/env bash
# The program as a screen reader sees it: at-spi2-core's accessibility bus on
# a private session bus, the program on a private Xvfb with its accessibility
# on, and tests/app/a11y_walk.py walking the tree through pyatspi while the
# keyboard alone marks an article read, tabs through the window and opens the
# network settings.
#   a11y_e2e.sh PROGRAM
program=$1
source "$(dirname "$0")/e2e_lib.sh"
python=/usr/bin/python3
launcher=/usr/libexec/at-spi-bus-launcher
command -v dbus-daemon >/dev/null || skip "no dbus-daemon (package dbus)"
[ -x "$launcher" ] || skip "no at-spi-bus-launcher (package at-spi2-core)"
$python -c 'import pyatspi' 2>/dev/null || skip "no pyatspi (package python3-pyatspi)"
command -v xdotool >/dev/null || skip "no xdotool"
e2e_setup
start_xvfb || skip "Xvfb did not start"

dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$home/bus.pid" >"$home/bus.address" 2>"$home/bus.log"
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$home/bus.address")
started_pids+=("$(cat "$home/bus.pid")")
unset AT_SPI_BUS_ADDRESS
"$launcher" --launch-immediately >"$home/atspi.log" 2>&1 &
started_pids+=($!)
waitfor 100 eval 'dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1' ||
  fail "the accessibility bus did not start"

# A proxy nobody listens on: the program stays offline, and the port field
# has a stored value to report.
network_settings 3128 False
stand_in_browser
lists=$home/.config/QuarlenMessenger
put_list url "http://news.example.org/a0.html" "http://news.example.org/a1.html" "http://news.example.org/a2.html"
put_list ticker t0 t1 t2
put_list subject "Subject 0" "Subject 1" "Subject 2"
put_list description "Text 0" "Text 1" "Text 2"
put_list date "Desk - Mar 1 2007" "Desk - Mar 2 2007" "Desk - Mar 3 2007"
put_list read unread unread unread
put_list latest "http://news.example.org/a0.html"
put_list latest_subject "Subject 0"

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
start_program program.log
waitfor 100 has_main_window $pid || fail "no window"
wid=$(main_window $pid)
waitfor 100 is_mapped "$wid" || fail "the window is not shown"
xdotool windowfocus --sync "$wid" 2>/dev/null || true

$python "$e2e_here/a11y_walk.py" "$pid" "$wid" >"$home/walk.log" 2>&1
walked=$?
cat "$home/walk.log"
[ $walked -eq 0 ] || fail "the accessibility tree is not what a reader needs"
[ "$(tr -d '\r' <"$lists/kvt_read_list.dat" | paste -sd,)" = unread,read,unread ] || fail "row 1 was not stored read"
stop_program $pid
echo "PASS"
