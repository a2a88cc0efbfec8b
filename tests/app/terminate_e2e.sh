#!/usr/bin/env bash
# Starts the program where its config folder cannot be made (a plain file of
# that name stands in its place). Passes when the "Error creating config
# folder" box appears and, once it is closed, the program ends by itself with
# exit code 0 and both settings files written. Needs a display and xdotool.
program=$1
source "$(dirname "$0")/e2e_lib.sh"
needs_display
e2e_setup
mkdir -p "$home/.config"
echo "not a folder" >"$home/.config/QuarlenMessenger"

start_program program.log
# Each box is a window of the program whose text holds the message; closing
# it with Return lets the start-up go on. The loop ends when the program does.
boxes=0
touch "$home/seen"
for _ in $(seq 200); do
  kill -0 $pid 2>/dev/null || break
  for box in $(xdotool search --pid $pid --onlyvisible --name "^Quarlen Messenger$" 2>/dev/null); do
    grep -qx "$box" "$home/seen" || { echo "$box" >>"$home/seen"; boxes=$((boxes + 1)); }
    xdotool windowfocus "$box" >/dev/null 2>&1
    xdotool key --window "$box" Return 2>/dev/null
  done
  sleep 0.2
done
kill -0 $pid 2>/dev/null && fail "the program did not end after $boxes boxes"
wait $pid
code=$?
[ $code -eq 0 ] || fail "exit code $code"
[ $boxes -ge 1 ] || fail "no message box"
for f in KVTSettings.xml KVTNetworkSettings.xml; do
  [ -s "$home/.config/$f" ] || fail "$f not written"
done
echo "PASS"
