#!/usr/bin/env bash
# One running copy per user: a second start shows the first copy's window and
# exits 0 without loading the store; beside a stopped first copy it says so
# and exits 1; after a kill -9 of the first copy the next
# start runs normally.
program=$1
source "$(dirname "$0")/tray_host.sh"

start_program first.log
first=$pid
waitfor 300 has_main_window $first || fail "no main window"
window=$(main_window $first)
waitfor 100 tray_icon $first >/dev/null || fail "no tray icon"
python3 "$here/close_window.py" "$window"
waitfor 50 is_unmapped "$window" || fail "closing did not hide the window"

# The second start ends before it makes any window of its own.
HOME=$home XDG_CONFIG_HOME= timeout 20 "$program" >"$home/second.log" 2>&1 &
second=$!
started_pids+=($second)
while kill -0 $second 2>/dev/null; do
  [ -z "$(main_window $second)" ] || fail "the second start opened a window"
  sleep 0.05
done
wait $second
code=$?
[ $code -eq 0 ] || fail "the second start ended with code $code"
waitfor 50 is_mapped "$window" || fail "the second start did not show the running copy's window"
kill -0 $first 2>/dev/null || fail "the first copy ended"

# A first copy that does not answer (stopped here) is reported, not trusted.
kill -STOP $first
HOME=$home XDG_CONFIG_HOME= timeout 20 "$program" >"$home/hung.log" 2>&1
code=$?
kill -CONT $first
[ $code -eq 1 ] || fail "a start beside a stopped copy ended with code $code"
grep -q "already running, but did not answer" "$home/hung.log" || fail "no message about the stopped copy"

kill -KILL $first
wait $first 2>/dev/null
start_program third.log
third=$pid
waitfor 300 has_main_window $third || fail "a start after kill -9 of the first copy showed no window"
sleep 1
kill -0 $third 2>/dev/null || fail "the start after kill -9 ended by itself"
stop_program $third
[ $code -eq 0 ] || fail "exit code $code after SIGTERM"
echo PASS
