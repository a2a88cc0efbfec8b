#!/usr/bin/env bash
# The program on a private session bus with desktop services written for the
# test (desktop_peers.py), against the bundled feed server as its proxy.
#   desktop_e2e.sh PROGRAM notifications FEED_SERVER_BASE_URL   the first
#       refresh's notification: its fields; a click on a foreign id does nothing;
#       a click on ours opens the newest article through a stand-in browser and
#       marks it read
#   desktop_e2e.sh PROGRAM tray   a panel (watcher) that appears after the start:
#       closing minimises before and hides after it; the icon registers, with
#       sizes up to 64 px; Activate shows the window
#   desktop_e2e.sh PROGRAM wayland   under weston's headless compositor: the
#       program starts, refreshes and sends its notification, whose click with
#       an activation token opens the article
program=$1
mode=$2
base=${3:-}
source "$(dirname "$0")/e2e_lib.sh"
here=$e2e_here
top=$(cd "$here/../.." && pwd)
python=/usr/bin/python3
command -v dbus-daemon >/dev/null || skip "no dbus-daemon (package dbus)"
$python -c 'import dbus, gi' 2>/dev/null || skip "no python3-dbus or python3-gi"
command -v nginx >/dev/null || [ -x /usr/sbin/nginx ] || skip "no nginx (package nginx-light)"
e2e_setup
# The feed server is a daemon of its own: it goes first at exit.
eval "lib_exit=( $(trap -p EXIT) )"
trap "\"$top/tools/feedserver/stop\" \"$home/feed\" >/dev/null 2>&1; ${lib_exit[2]}" EXIT
lists=$home/.config/QuarlenMessenger

# The bus, the feed server (the program's requests reach it as their proxy)
# and a browser that records what it is asked to open.
dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$home/bus.pid" >"$home/bus.address" 2>"$home/bus.log"
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$home/bus.address")
started_pids+=("$(cat "$home/bus.pid")")
port=$($python -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$top/tools/feedserver/start" "$home/feed" "$port" >"$home/feed.log" 2>&1 || fail "the feed server did not start"
network_settings "$port" False
stand_in_browser

start_peer() {  # ROLE: a desktop service on the bus, once it owns its name
  $python "$here/desktop_peers.py" "$1" "$home/$1.log" 2>>"$home/$1.err" &
  started_pids+=($!)
  waitfor 100 test -s "$home/$1.log.ready" || fail "the test's $1 service did not start"
}
notify_field() { $python -c 'import json, sys; n = json.loads(open(sys.argv[1]).readline()); print(eval(sys.argv[2]))' "$home/notifications.log" "$1"; }
click() {  # ID ACTION [TOKEN]: the user clicks a notification
  dbus-send --session --type=method_call --dest=org.freedesktop.Notifications /org/freedesktop/Notifications \
    test.Control.Click "uint32:$1" "string:$2" "string:${3:-}"
}
first_line() { head -1 "$lists/kvt_$1_list.dat" | tr -d '\r'; }
await_notification() {  # the first refresh runs 10 s after the start
  waitfor 600 test -s "$home/notifications.log" || fail "no notification was sent"
  [ "$(notify_field 'n["summary"]')" = "New Quarlen article" ] || fail "summary $(notify_field 'n["summary"]')"
  [ "$(notify_field 'n["body"]')" = "$(first_line latest_subject)" ] || fail "the body is not the newest subject"
}

case $mode in
notifications)
  start_peer notifications
  export QT_QPA_PLATFORM=offscreen
  start_program program.log
  await_notification
  expected='quarlen-messenger quarlen-messenger default,Open,open,Open 1 byte 10000'
  got=$(notify_field '" ".join([n["app_icon"], n["hints"]["desktop-entry"][1], ",".join(n["actions"]), str(n["hints"]["urgency"][1]), n["hints"]["urgency"][0], str(n["expire_timeout"])])')
  [ "$got" = "${expected/byte/Byte}" ] || fail "notification fields '$got', not '${expected/byte/Byte}'"
  id=$(notify_field 'n["id"]')
  click $((id + 1)) default
  sleep 2
  [ ! -e "$home/opened" ] || fail "a click on another program's notification opened $(cat "$home/opened")"
  [ "$(first_line read)" = unread ] || fail "a click on another program's notification marked the article read"
  click "$id" open
  waitfor 100 test -s "$home/opened" || fail "a click on the notification opened nothing"
  [ "$(cat "$home/opened")" = "1 $base/redirect/redirect.php?url=$(first_line url)" ] || fail "opened $(cat "$home/opened")"
  waitfor 50 eval '[ "$(first_line read)" = read ]' || fail "the clicked article was not marked read"
  ;;
tray)
  command -v Xvfb >/dev/null && command -v xdotool >/dev/null || skip "no Xvfb or xdotool"
  start_xvfb || fail "Xvfb did not start"
  export QT_QPA_PLATFORM=xcb
  start_program program.log
  window() { main_window "$pid"; }
  viewable() { is_mapped "$(window)"; }
  waitfor 300 viewable || fail "no main window"
  # No panel yet: closing must not hide the window where nothing could show it again.
  $python "$here/close_window.py" "$(window)"
  sleep 1
  viewable || fail "closing hid the window although no notification area was there"
  start_peer watcher
  waitfor 100 test -s "$home/watcher.log" || fail "the icon did not register with a panel that started later"
  item=$(head -1 "$home/watcher.log")
  sizes=$(dbus-send --session --print-reply --dest="${item%%/*}" "/${item#*/}" org.freedesktop.DBus.Properties.Get \
            string:org.kde.StatusNotifierItem string:IconPixmap | grep -c 'int32 64')
  [ "$sizes" -ge 2 ] || fail "the icon has no 64 x 64 image"
  $python "$here/close_window.py" "$(window)"
  waitfor 50 eval '! viewable' || fail "closing did not hide the window into the panel"
  dbus-send --session --type=method_call --dest="${item%%/*}" "/${item#*/}" org.kde.StatusNotifierItem.Activate int32:0 int32:0
  waitfor 50 viewable || fail "Activate did not show the window"
  ;;
wayland)
  command -v weston >/dev/null || skip "no weston"
  [ -n "$(ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so 2>/dev/null)" ] || skip "no qt6-wayland"
  start_peer notifications
  export XDG_RUNTIME_DIR=$home/run
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  weston --backend=headless-backend.so --socket=wayland-test --idle-time=0 >"$home/weston.log" 2>&1 &
  started_pids+=($!)
  waitfor 100 test -S "$XDG_RUNTIME_DIR/wayland-test" || fail "weston did not start"
  unset DISPLAY
  export WAYLAND_DISPLAY=wayland-test QT_QPA_PLATFORM=wayland
  start_program program.log
  await_notification
  # With a token, the click hands it to the compositor before the article opens.
  click "$(notify_field 'n["id"]')" default test-token
  waitfor 100 test -s "$home/opened" || fail "a click on the notification opened nothing"
  kill -0 $pid 2>/dev/null || fail "the program ended"
  ;;
esac
stop_program $pid
[ $code -eq 0 ] || fail "SIGTERM ended the program with code $code"
echo PASS
