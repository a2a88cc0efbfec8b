#!/usr/bin/env bash
# The article actions as a user does them, on three saved articles, with a
# stand-in browser (xdg-open first on PATH) that records its arguments:
# a double click opens the redirect page and marks the row read, a right
# click and "Delete" removes a row from every list file, Home and Return open
# the first row, the Delete key removes the current row.
#   actions_e2e.sh PROGRAM FEED_SERVER_BASE_URL
#   actions_e2e.sh PROGRAM FEED_SERVER_BASE_URL store   the store across bad
#       days, against the bundled feed server (nginx) as the program's proxy and
#       with the config folder on a 2 MiB tmpfs in a mount namespace of the
#       program's own: a feed served empty between two full ones announces
#       nothing and brings no deleted article back; on the filled disk a refresh
#       and a delete show one box, the new article is shown anyway, and once
#       space is freed the next refresh writes it
program=$1
base=$2
mode=${3:-actions}
source "$(dirname "$0")/e2e_lib.sh"
needs_display
e2e_setup
stand_in_browser
lists=$home/.config/QuarlenMessenger

store_days() {
  local top feed port
  top=$(cd "$e2e_here/../.." && pwd)
  [ "$(id -u)" -eq 0 ] || skip "the tmpfs of the full disk needs root"
  command -v nginx >/dev/null || [ -x /usr/sbin/nginx ] || skip "no nginx (package nginx-light)"
  command -v import >/dev/null || skip "no import (package imagemagick)"
  feed=$home/feed
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  exit_hooks+=("'$top/tools/feedserver/stop' '$feed' >/dev/null 2>&1")
  "$top/tools/feedserver/start" "$feed" "$port" >"$home/feed.log" 2>&1 || fail "the feed server did not start"
  network_settings "$port" False
  printf '<?xml version="1.0" encoding="iso-8859-1"?>\r\n<Configuration>\r\n  <KeepArticles>5</KeepArticles>\r\n</Configuration>\r\n' \
    >"$home/.config/KVTSettings.xml"
  served=$feed/site/feeds/messenger4.xml.win-1251
  cp "$served" "$home/full.xml"
  sed '/<item>/,$d' "$home/full.xml" >"$home/empty.xml" && printf '  </channel>\n</rss>\n' >>"$home/empty.xml"

  # The config folder is a small tmpfs that only the program's mount namespace sees.
  mkdir -p "$lists"
  program_prefix=(unshare -m --propagation private sh -c 'mount -t tmpfs -o size=2m,mode=0700 tmpfs "$0" && exec "$@"' "$lists")
  start_program program.log
  inside() { nsenter -t "$pid" -m -- "$@"; }
  list() { inside cat "$lists/kvt_$1_list.dat" 2>/dev/null | tr -d '\r'; }
  lines() { list "$1" | grep -c ''; }
  fetches() { grep -c "GET $base/feeds/" "$feed/access.log"; }
  refresh() {  # File > Check For New Messages, with the pointer on the first row
    local before
    before=$(fetches)
    # The box of a failed save does not hold the window: the keys go back to it.
    xdotool windowfocus --sync "$wid" mousemove --window "$wid" 100 80 key alt+f
    sleep 0.5
    xdotool key n
    await '[ "$(fetches)" -gt '"$before"' ]' "no refresh read the feed"
  }
  boxes() { xdotool search --onlyvisible --pid "$pid" --name "^${program_title//./\\.}\$" 2>/dev/null | grep -vc "^$wid\$"; }
  first_row() { import -window root -crop 80x60+"$1"+"$2" -depth 8 rgb:- | md5sum; }

  waitfor 100 has_main_window $pid || fail "no window"
  wid=$(main_window $pid)
  waitfor 100 is_mapped "$wid" || fail "the window is not shown"
  # The first refresh, 10 s after the start: five kept, fifteen gone, dated today.
  waitfor 400 eval '[ "$(lines url)" = 5 ]' || fail "the first refresh kept $(lines url) articles, not 5"
  [ "$(list gone | grep -c "^$(date -u +%F) ")" = 15 ] || fail "gone list: $(list gone)"
  newest=$(list url | head -1)
  xdotool mousemove --window "$wid" 200 "$(row 0)" click 1 key Delete
  await '[ "$(lines url)" = 4 ]' "the Delete key removed nothing"

  # The feed is empty for a refresh, then full again.
  cp "$home/empty.xml" "$served"
  refresh
  await '[ "$(lines latest)" = 0 ]' "the empty feed's refresh saved nothing"
  [ "$(lines gone)" = 16 ] || fail "the empty feed emptied the gone list: $(list gone)"
  cp "$home/full.xml" "$served"
  refresh
  await '[ "$(lines url)" = 5 ]' "the full feed did not fill the deleted article's room"
  [ "$(lines latest)" = 0 ] || fail "the full feed after an empty one announced: $(list latest_subject)"
  list url | grep -qxF "$newest" && fail "the deleted article came back"

  # The disk fills up; a new article is published.
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  shown=$(first_row $((X + 2)) $((Y + $(row 0) - 30)))
  inside sh -c 'cat /dev/zero >"$0/filler"' "$lists" 2>/dev/null
  "$top/tools/feedserver/publish" --state "$feed" "Disk full story" QQQQ "Shown from memory" >/dev/null ||
    fail "the feed server took no new article"
  saved=$(list url | paste -sd,)
  doomed=$(list url | sed -n 2p)  # row 2 once the new article is on top
  refresh
  await '[ "$(boxes)" = 1 ]' "no box told of the failed save"
  await '[ "$(first_row $((X + 2)) $((Y + $(row 0) - 30)))" != "$shown" ]' "the new article is not shown"
  # A delete on the full disk, picked left of the box.
  xdotool mousemove --window "$wid" 40 "$(row 2)" click 1 windowfocus --sync "$wid" key Delete
  refresh
  sleep 2
  [ "$(boxes)" = 1 ] || fail "$(boxes) boxes for one full disk"
  [ "$(list url | paste -sd,)" = "$saved" ] || fail "the list files changed on the full disk"

  # Space is freed: the next refresh writes what memory holds, and the box goes.
  inside rm "$lists/filler"
  refresh
  await 'list subject | grep -qx "Disk full story"' "the next good save did not write the new article"
  [ "$(lines url)" = 5 ] || fail "$(lines url) articles saved, not 5"
  list url | grep -qxF "$doomed" && fail "the delete made on the full disk was lost"
  await '[ "$(boxes)" = 0 ] ' "the box stayed after the save succeeded"
  stop_program $pid
  echo "PASS"
}
# Row r's middle: below the menu bar, the headers and r rows of 66 pixels.
row() { echo $((22 + 28 + 66 * $1 + 33)); }
await() { waitfor 200 eval "$1" || fail "$2"; }
[ "$mode" = store ] && { store_days; exit; }
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

waitfor 100 has_main_window $pid || fail "no window"
wid=$(main_window $pid)
waitfor 100 is_mapped "$wid" || fail "the window is not shown"
sleep 2

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
