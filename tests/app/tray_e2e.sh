#!/usr/bin/env bash
# The program in a real notification area (trayer on a private Xvfb): its icon
# is embedded, closing the window hides it, a double click on the icon shows
# it again, and the tray menu's Exit ends it with code 0 after writing the
# settings files.
program=$1
source "$(dirname "$0")/tray_host.sh"

start_program program.log
waitfor 300 has_main_window $pid || fail "no main window"
window=$(main_window $pid)
waitfor 100 tray_icon $pid >/dev/null || fail "the tray icon was not embedded in the notification area"
icon=$(tray_icon $pid)
waitfor 50 is_mapped "$window" || fail "the window is not shown at start"

python3 "$here/close_window.py" "$window"
waitfor 50 is_unmapped "$window" || fail "closing did not hide the window"
sleep 0.5
kill -0 $pid 2>/dev/null || fail "closing the window ended the program"

xdotool mousemove --window "$icon" 8 8 click --repeat 2 --delay 100 1
waitfor 50 is_mapped "$window" || fail "a double click on the tray icon did not show the window"

# The tray menu: a right click opens it; its last entry is Exit.
xdotool mousemove --window "$icon" 8 8 click 3
menu_window() {
  local w
  for w in $(xdotool search --onlyvisible --pid $pid 2>/dev/null); do
    [ "$w" != "$window" ] && [ "$w" != "$icon" ] || continue
    # A popup window as tall as seven entries (a tooltip is a popup too, but one line high).
    info=$(xwininfo -id "$w")
    grep -q 'Override Redirect State: yes' <<<"$info" && [ "$(awk '/Height:/ { print $2 }' <<<"$info")" -ge 80 ] &&
      { echo "$w"; return 0; }
  done
  return 1
}
waitfor 50 menu_window >/dev/null || fail "no tray menu"
menu=$(menu_window)
eval "$(xdotool getwindowgeometry --shell "$menu")"
# Exit is the bottom entry: click a few pixels above the menu's lower edge.
xdotool mousemove --window "$menu" $((WIDTH / 2)) $((HEIGHT - 8)) click 1
waitfor 100 has_ended $pid || fail "Exit did not end the program"
wait $pid
code=$?
[ $code -eq 0 ] || fail "Exit ended the program with code $code"
for f in KVTSettings.xml KVTNetworkSettings.xml; do
  [ -s "$home/.config/$f" ] || fail "Exit did not write $f"
done
echo PASS
