#!/usr/bin/env bash
# The article actions as a user does them, on three saved articles, with a
# stand-in browser (xdg-open first on PATH) that records its arguments:
# a double click opens the redirect page and marks the row read, a right
# click and "Delete" removes a row from every list file, Home and Return open
# the first row, the Delete key removes the current row.
#   actions_e2e.sh PROGRAM FEED_SERVER_BASE_URL
program=$1
base=$2
source "$(dirname "$0")/e2e_lib.sh"
needs_display
e2e_setup
stand_in_browser
lists=$home/.config/QuarlenMessenger
put_list url "http://news.example.org/a0.html" "http://news.example.org/a b/item.html?id=5&x=1" \
  "http://news.example.org/a2.html"
put_list ticker t0 t1 t2
put_list subject "Subject 0" "Subject 1" "Subject 2"
put_list description "Text 0" "Text 1" "Text 2"
put_list date "Desk - Mar 1 2007" "Desk - Mar 2 2007" "Desk - Mar 3 2007"
put_list read unread unread unread
put_list latest "http://news.example.org/a0.html"
put_list latest_subject "Subject 0"

start_program program.log
lines() { grep -c '' "$lists/kvt_$1_list.dat"; }
await() { waitfor 200 eval "$1" || fail "$2"; }

waitfor 100 has_main_window $pid || fail "no window"
wid=$(main_window $pid)
waitfor 100 is_mapped "$wid" || fail "the window is not shown"
sleep 2
# Row r's middle: below the menu bar, the headers and r rows of 66 pixels.
row() { echo $((22 + 28 + 66 * $1 + 33)); }

xdotool mousemove --window "$wid" 200 "$(row 1)" click --repeat 2 --delay 100 1
await '[ -s "$home/opened" ]' "the double click opened nothing"
expected="1 $base/redirect/redirect.php?url=http://news.example.org/a%20b/item.html%3Fid%3D5%26x%3D1"
[ "$(head -1 "$home/opened")" = "$expected" ] || fail "opened '$(head -1 "$home/opened")', not '$expected'"
await '[ "$(tr -d "\r" <"$lists/kvt_read_list.dat" | paste -sd,)" = unread,read,unread ]' "row 1 not marked read"

windows() { xdotool search --onlyvisible --pid $pid "" 2>/dev/null | wc -l; }
before=$(windows)
xdotool mousemove --window "$wid" 200 "$(row 2)" click 3
await '[ "$(windows)" -gt "$before" ]' "no context menu"
xdotool key Up Return
await '[ "$(lines url)" = 2 ]' "right click and Delete removed nothing"
for list in ticker subject description date read; do
  [ "$(lines $list)" = 2 ] || fail "kvt_${list}_list.dat has $(lines $list) lines"
done
[ "$(lines latest)" = 1 ] && [ "$(lines latest_subject)" = 1 ] || fail "the latest lists changed"
grep -q "a2.html" "$lists/kvt_url_list.dat" && fail "the wrong row was deleted"

xdotool key Home Return
await '[ "$(grep -c "" "$home/opened")" = 2 ]' "Return opened nothing"
[ "$(sed -n 2p "$home/opened")" = "1 $base/redirect/redirect.php?url=http://news.example.org/a0.html" ] ||
  fail "Return opened '$(sed -n 2p "$home/opened")'"
xdotool key Delete
await '[ "$(lines url)" = 1 ]' "the Delete key removed nothing"

stop_program $pid
echo "PASS"
