#!/usr/bin/env bash
# The program on a private session bus with desktop services written for the
# test (desktop_peers.py), against the bundled feed server as its proxy.
#   desktop_e2e.sh PROGRAM notifications FEED_SERVER_BASE_URL   the first
#       refresh's notification: its fields; a click on a foreign id does nothing;
#       a click on ours opens the newest article through a stand-in browser and
#       marks it read
#   desktop_e2e.sh PROGRAM charts-dropped FEED_SERVER_BASE_URL   the feed server
#       in a network namespace, its charts on a host there that drops every
#       packet: the first refresh is announced with all its articles while at
#       most four chart connections still wait
#   desktop_e2e.sh PROGRAM tray   a panel (watcher) that appears after the start:
#       closing minimises before and hides after it; the icon registers, with
#       sizes up to 64 px and a tooltip that says how old the news is;
#       Activate shows the window
#   desktop_e2e.sh PROGRAM wayland   under weston's headless compositor: the
#       program starts, refreshes and sends its notification, whose click with
#       an activation token opens the article; the terminal stays quiet
#   desktop_e2e.sh PROGRAM dunst FEED_SERVER_BASE_URL   Debian's dunst as the
#       notification server, driven with dunstctl: a second announcement
#       replaces ours instead of stacking; another program's notification
#       invoked while ours shows opens nothing, ours opens the newest article once
#   desktop_e2e.sh PROGRAM xfce FEED_SERVER_BASE_URL   Debian's xfce4-panel
#       (tasklist and systray, a configuration written here) and xfce4-notifyd,
#       clicked with xdotool on the notifications' own buttons: a second
#       announcement replaces ours; the same two clicks; one tray icon with the panel there first, and with a panel that
#       starts after the program, stops and starts again
#   desktop_e2e.sh PROGRAM kde FEED_SERVER_BASE_URL   Debian's plasmashell on
#       X11 (no window manager), clicked with xdotool on its popups' bodies:
#       one tray icon in its tray; a second announcement replaces ours; the
#       same two clicks
#   desktop_e2e.sh PROGRAM gnome FEED_SERVER_BASE_URL   GNOME Shell headless on
#       Wayland (its notification server hands over no activation token): the
#       same two clicks on the shell's own notifications, with the window
#       minimised; it comes back or asks for attention. A second start from a
#       terminal asks for attention; one with the launcher's token comes back
#       focused; the terminal stays free of tray warnings
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

second_title="Second Quarlen story"
second_announcement() {  # [WINDOW]: a new article, fetched through the File menu's "Check For New Messages"
  local keep=${1:-}
  "$top/tools/feedserver/publish" --state "$home/feed" "$second_title" QQQQ "More news" >/dev/null ||
    fail "the feed server took no second article"
  # No window manager: the keys go to the window under the pointer.
  xdotool mousemove --window "$(main_window "$pid")" 300 300
  xdotool key alt+f
  sleep 0.5
  xdotool key n
  # The pointer rests on a notification that expires unless hovered.
  [ -z "$keep" ] || xdotool mousemove --window "$keep" 20 20
  waitfor 300 eval '[ "$(first_line latest_subject)" = "$second_title" ]' ||
    fail "the second refresh brought no new article: $(first_line latest_subject)"
}

bus_has() { dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.ListNames | grep -q "\"$1\""; }
# One panel at the top: the task list and the notification area.
write_panel_config() {
  mkdir -p "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
  cat >"$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="30"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
        <value type="int" value="2"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="tasklist"/>
    <property name="plugin-2" type="string" value="systray"/>
  </property>
</channel>
XML
}
start_panel() {  # sets $panel_pid once the panel's notification area is on the bus
  xfce4-panel --disable-wm-check --sm-client-disable >>"$home/panel.log" 2>&1 &
  panel_pid=$!
  started_pids+=($panel_pid)
  waitfor 100 bus_has org.kde.StatusNotifierWatcher || fail "xfce4-panel did not start"
}
# The program's icons in the panel: its StatusNotifierItems with the watcher,
# and its XEmbed icons docked into the panel's window.
tray_icons() {
  local items xembed=0 item owner
  items=0
  for item in $(dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
                  org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
                  string:RegisteredStatusNotifierItems 2>/dev/null | sed -n 's/^ *string "\([^/"]*\).*/\1/p'); do
    owner=$(dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
              org.freedesktop.DBus.GetConnectionUnixProcessID "string:$item" 2>/dev/null | awk '/uint32/ {print $2}')
    [ "$owner" = "$pid" ] && items=$((items + 1))
  done
  local panel
  for panel in $(xdotool search --class xfce4-panel 2>/dev/null); do
    xembed=$((xembed + $(xwininfo -tree -id "$panel" 2>/dev/null | grep -c '"quarlen-messenger"')))
  done
  echo $((items + xembed))
}
# One balloon at a time, then the clicks: a second announcement replaces
# ours, another program's notification reaches that program and opens
# nothing, and ours opens the newest article once. LIST prints the shown
# notifications' windows, PRESS clicks one, ACTION is the other program's key.
replace_then_click() {  # LIST PRESS ACTION
  local list=$1 press=$2 action=$3 ours
  ours=$($list)
  second_announcement "$ours"
  sleep 2
  [ "$($list)" = "$ours" ] || fail "after a second announcement the notifications are $($list | paste -sd ' '), not $ours"
  notify-send -A "$action=Go" Other x >"$home/other.out" 2>&1 &
  started_pids+=($!)
  waitfor 50 eval '[ "$($list | grep -cvx "$ours")" = 1 ]' || fail "the other program's notification did not show"
  $press "$($list | grep -vx "$ours")"
  waitfor 50 grep -qx "$action" "$home/other.out" || fail "the other program's click did not reach it"
  sleep 2
  [ ! -e "$home/opened" ] || fail "another program's notification opened $(cat "$home/opened")"
  $press "$ours"
  waitfor 100 test -s "$home/opened" || fail "a click on our notification opened nothing"
  sleep 2
  [ "$(cat "$home/opened")" = "1 $base/redirect/redirect.php?url=$(first_line url)" ] || fail "opened $(cat "$home/opened")"
}

notification_windows() {  # the notifications xfce4-notifyd shows, a window id a line
  local w
  for w in $(xdotool search --class xfce4-notifyd 2>/dev/null); do is_mapped "$w" && echo "$w"; done
}
press_last_button() {  # WINDOW: a click on the notification's last button, as a user makes it
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1" | sed -n 's/^\(X\|Y\|WIDTH\|HEIGHT\)=/\1=/p')"
  xdotool mousemove $((X + WIDTH - 57)) $((Y + HEIGHT - 31))
  sleep 0.5
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
}

# gnome-shell's own JavaScript, through its Eval (unsafe mode): the result, or nothing.
shell_eval() {
  gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell --method org.gnome.Shell.Eval "$1" 2>/dev/null |
    sed -n "s/^(true, '\(.*\)')$/\1/p" | sed 's/^"\(.*\)"$/\1/'
}
notifications_js() { echo "Main.messageTray.getSources().flatMap(s => s.notifications)"; }
ours_js() { echo "$(notifications_js).filter(n => n.title == 'New Quarlen article')"; }
window_js() { echo "global.display.list_all_windows().find(w => (w.title || '').startsWith('Quarlen Messenger'))"; }

case $mode in
charts-dropped)
  # The chart host drops every packet (its accept queue is full, so the
  # kernel leaves further connection attempts unanswered): the news is
  # announced all the same while the charts' connections still wait.
  private_network netns || skip "no network namespace"
  rm -f "$home/.config/KVTNetworkSettings.xml"
  feed_port=${base##*:}
  exit_hooks+=("\"$top/tools/feedserver/stop\" \"$home/direct\" >/dev/null 2>&1")
  "${netns[@]}" "$top/tools/feedserver/start" "$home/direct" "$feed_port" >"$home/direct.log" 2>&1 ||
    fail "the feed server did not start in the namespace"
  sed -i "s|http%3A%2F%2F127.0.0.1%3A$feed_port%2Fcharts|http%3A%2F%2F127.0.0.2%3A8431%2Fcharts|g" \
    "$home/direct/site/feeds/messenger4.xml.win-1251"
  "${netns[@]}" $python -c 'import socket, time
host = ("127.0.0.2", 8431)
listener = socket.create_server(host, backlog=0)
fillers = [socket.socket() for _ in range(4)]
for f in fillers:
    f.setblocking(False)
    f.connect_ex(host)
time.sleep(100000)' &
  started_pids+=($!)
  start_peer notifications
  export QT_QPA_PLATFORM=offscreen
  program_prefix=("${netns[@]}")
  start_program program.log
  await_notification
  [ "$(grep -c '' "$lists/kvt_url_list.dat")" = 20 ] || fail "the announced news is not all in the list files"
  # The program's own attempts: the fillers of the queue wait there too.
  waiting=$("${netns[@]}" ss -Htnp state syn-sent dst 127.0.0.2 | grep -c "pid=$pid,")
  [ "$waiting" -ge 1 ] && [ "$waiting" -le 4 ] || fail "$waiting chart connections wait, not 1 to 4"
  ;;
notifications)
  start_peer notifications
  export QT_QPA_PLATFORM=offscreen
  start_program program.log
  await_notification
  expected='quarlen-messenger quarlen-messenger default,Open 1 byte 10000'
  got=$(notify_field '" ".join([n["app_icon"], n["hints"]["desktop-entry"][1], ",".join(n["actions"]), str(n["hints"]["urgency"][1]), n["hints"]["urgency"][0], str(n["expire_timeout"])])')
  [ "$got" = "${expected/byte/Byte}" ] || fail "notification fields '$got', not '${expected/byte/Byte}'"
  id=$(notify_field 'n["id"]')
  click $((id + 1)) default
  sleep 2
  [ ! -e "$home/opened" ] || fail "a click on another program's notification opened $(cat "$home/opened")"
  [ "$(first_line read)" = unread ] || fail "a click on another program's notification marked the article read"
  click "$id" default
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
  tip=$(dbus-send --session --print-reply --dest="${item%%/*}" "/${item#*/}" org.freedesktop.DBus.Properties.Get \
          string:org.kde.StatusNotifierItem string:ToolTip)
  echo "$tip" | grep -q 'string "Quarlen Messenger"' &&
    echo "$tip" | grep -Eq 'string "(Not updated yet|Updated .+|Not updated since .+)"' ||
    fail "the icon's tooltip does not say how old the news is: $tip"
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
  [ ! -s "$home/program.log" ] || fail "the program printed: $(head -3 "$home/program.log")"
  ;;
dunst)
  command -v dunst >/dev/null && command -v dunstctl >/dev/null || skip "no dunst"
  command -v notify-send >/dev/null || skip "no notify-send (package libnotify-bin)"
  command -v Xvfb >/dev/null && command -v xdotool >/dev/null || skip "no Xvfb or xdotool"
  start_xvfb || fail "Xvfb did not start"
  # Critical before normal: another program's urgent notification is the top one.
  # Ours stays until it is clicked, so the second announcement always meets
  # the first one still shown.
  printf '[global]
font = DejaVu Sans 8
sort = true
idle_threshold = 0
[ours]
appname = "Quarlen Messenger"
override_dbus_timeout = 0
' >"$home/dunstrc"
  dunst -conf "$home/dunstrc" >"$home/dunst.log" 2>&1 &
  started_pids+=($!)
  waitfor 100 dunstctl is-paused >/dev/null 2>&1 || fail "dunst did not start"
  export QT_QPA_PLATFORM=xcb
  start_program program.log
  waitfor 600 eval '[ "$(dunstctl count displayed)" = 1 ]' || fail "no notification was shown"
  second_announcement
  sleep 2
  [ "$(dunstctl count displayed) $(dunstctl count history)" = "1 0" ] ||
    fail "after a second announcement dunst shows $(dunstctl count displayed) and keeps $(dunstctl count history) closed"
  notify-send -u critical -A default=Go Other x >"$home/other.out" 2>&1 &
  started_pids+=($!)
  waitfor 50 eval '[ "$(dunstctl count displayed)" = 2 ]' || fail "the other program's notification did not show"
  dunstctl action 0
  waitfor 50 grep -qx default "$home/other.out" || fail "the other program's action did not reach it"
  sleep 2
  [ ! -e "$home/opened" ] || fail "another program's notification opened $(cat "$home/opened")"
  dunstctl action 0
  waitfor 100 test -s "$home/opened" || fail "a click on our notification opened nothing"
  sleep 2
  [ "$(cat "$home/opened")" = "1 $base/redirect/redirect.php?url=$(first_line url)" ] || fail "opened $(cat "$home/opened")"
  # dunstctl's action leaves ours shown: closed, it is the only one of ours
  # dunst ever let go, and it carries the second article.
  dunstctl close
  ours=$(dunstctl history | $python -c 'import json, sys
print("|".join(n["body"]["data"] for n in json.load(sys.stdin)["data"][0] if n["appname"]["data"] == "Quarlen Messenger"))')
  [ "$ours" = "$second_title" ] || fail "dunst's closed notifications of ours: '$ours'"
  ;;
xfce)
  command -v xfce4-panel >/dev/null || skip "no xfce4-panel"
  notifyd=$(ls /usr/lib/*/xfce4/notifyd/xfce4-notifyd 2>/dev/null | head -1)
  xfconfd=$(ls /usr/lib/*/xfce4/xfconf/xfconfd 2>/dev/null | head -1)
  [ -n "$notifyd" ] && [ -n "$xfconfd" ] || skip "no xfce4-notifyd or xfconfd"
  command -v notify-send >/dev/null || skip "no notify-send (package libnotify-bin)"
  command -v Xvfb >/dev/null && command -v xdotool >/dev/null || skip "no Xvfb or xdotool"
  start_xvfb || fail "Xvfb did not start"
  # The services read their settings from a folder of the test's own; the
  # program keeps its fresh home (start_program empties XDG_CONFIG_HOME).
  export XDG_CONFIG_HOME=$home/xdg XDG_CACHE_HOME=$home/cache XDG_DATA_HOME=$home/data
  write_panel_config
  "$xfconfd" >"$home/xfconfd.log" 2>&1 &
  started_pids+=($!)
  waitfor 50 bus_has org.xfce.Xfconf || fail "xfconfd did not start"
  "$notifyd" >"$home/notifyd.log" 2>&1 &
  started_pids+=($!)
  waitfor 50 bus_has org.freedesktop.Notifications || fail "xfce4-notifyd did not start"
  export QT_QPA_PLATFORM=xcb
  case ${4:-first} in
  first)
    start_panel
    start_program program.log
    waitfor 600 eval '[ -n "$(notification_windows)" ]' || fail "no notification was shown"
    sleep 1
    [ "$(tray_icons)" = 1 ] || fail "$(tray_icons) tray icons with the panel there first"
    replace_then_click notification_windows press_last_button go
    ;;
  late)
    start_program program.log
    waitfor 300 eval '[ -n "$(main_window "$pid")" ]' || fail "no main window"
    sleep 2
    for round in 1 2; do
      start_panel
      waitfor 100 eval '[ "$(tray_icons)" = 1 ]' || fail "round $round: $(tray_icons) tray icons with a late panel"
      sleep 3
      [ "$(tray_icons)" = 1 ] || fail "round $round: $(tray_icons) tray icons once the panel settled"
      kill "$panel_pid"
      waitfor 50 eval '! bus_has org.kde.StatusNotifierWatcher' || fail "the panel did not stop"
    done
    ;;
  esac
  ;;
kde)
  command -v plasmashell >/dev/null || skip "no plasmashell (package plasma-desktop)"
  command -v notify-send >/dev/null || skip "no notify-send (package libnotify-bin)"
  command -v Xvfb >/dev/null && command -v xdotool >/dev/null || skip "no Xvfb or xdotool"
  start_xvfb || fail "Xvfb did not start"
  export XDG_CONFIG_HOME=$home/xdg XDG_CACHE_HOME=$home/cache XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home/run
  export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  # Services the bus starts get this display and these folders, not the bus's.
  HOME=$home dbus-update-activation-environment HOME DISPLAY XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME \
    XDG_RUNTIME_DIR XDG_CURRENT_DESKTOP KDE_FULL_SESSION || fail "the bus took no environment"
  # The shell on X11 without its window manager; the services it needs
  # (activity manager, kded) start through the bus as they are asked for.
  HOME=$home plasmashell >"$home/plasma.log" 2>&1 &
  started_pids+=($!)
  waitfor 600 bus_has org.freedesktop.Notifications || fail "plasmashell did not start"
  # A Plasma session's start loads kded's tray watcher; here the test does.
  dbus-send --session --print-reply --dest=org.kde.kded5 /kded org.kde.kded5.loadModule string:statusnotifierwatcher \
    >/dev/null || fail "kded did not load the tray watcher"
  waitfor 100 bus_has org.kde.StatusNotifierWatcher || fail "no tray watcher"
  sleep 2
  shell_windows() { xdotool search --onlyvisible --class plasmashell 2>/dev/null | sort; }
  shell_windows >"$home/desktop.windows"
  popups() { shell_windows | comm -13 "$home/desktop.windows" -; }  # the notification popups shown now
  press_popup() {  # WINDOW: a click on the popup's body, which is its default action
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$1" | sed -n 's/^\(X\|Y\|WIDTH\|HEIGHT\)=/\1=/p')"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2 - 10))
    sleep 0.5
    xdotool click 1
  }
  export QT_QPA_PLATFORM=xcb
  start_program program.log
  waitfor 600 eval '[ -n "$(popups)" ]' || fail "no notification was shown"
  [ "$(tray_icons)" = 1 ] || fail "$(tray_icons) tray icons in Plasma's tray"
  replace_then_click popups press_popup default
  ;;
gnome)
  command -v gnome-shell >/dev/null && command -v gjs >/dev/null || skip "no gnome-shell or gjs"
  command -v notify-send >/dev/null || skip "no notify-send (package libnotify-bin)"
  [ -n "$(ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so 2>/dev/null)" ] || skip "no qt6-wayland"
  export XDG_RUNTIME_DIR=$home/run XDG_CONFIG_HOME=$home/xdg XDG_CACHE_HOME=$home/cache XDG_DATA_HOME=$home/data
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  # The shell asks the system bus for accounts and sessions: a private bus of
  # its own stands in for it, with nobody on it.
  dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$home/sysbus.pid" >"$home/sysbus.address"
  started_pids+=("$(cat "$home/sysbus.pid")")
  unset DISPLAY
  DBUS_SYSTEM_BUS_ADDRESS=$(head -1 "$home/sysbus.address") HOME=$home \
    gnome-shell --headless --wayland --no-x11 --virtual-monitor 1024x768 --unsafe-mode >"$home/shell.log" 2>&1 &
  started_pids+=($!)
  waitfor 600 eval '[ "$(shell_eval 1+1)" = "2" ]' || fail "gnome-shell did not start: $(tail -3 "$home/shell.log")"
  export WAYLAND_DISPLAY=wayland-0 QT_QPA_PLATFORM=wayland
  start_program program.log
  waitfor 600 eval '[ "$(shell_eval "$(ours_js).length")" = 1 ]' || fail "no notification was shown"
  shell_eval "$(window_js).minimize()" >/dev/null
  notify-send -A default=Go Other x >"$home/other.out" 2>&1 &
  started_pids+=($!)
  waitfor 50 eval '[ "$(shell_eval "$(notifications_js).filter(n => n.title == \"Other\").length")" = 1 ]' ||
    fail "the other program's notification did not show"
  shell_eval "$(notifications_js).filter(n => n.title == 'Other')[0].activate()" >/dev/null
  waitfor 50 grep -qx default "$home/other.out" || fail "the other program's click did not reach it"
  sleep 2
  [ ! -e "$home/opened" ] || fail "another program's notification opened $(cat "$home/opened")"
  shell_eval "$(ours_js)[0].activate()" >/dev/null
  waitfor 100 test -s "$home/opened" || fail "a click on our notification opened nothing"
  sleep 2
  [ "$(cat "$home/opened")" = "1 $base/redirect/redirect.php?url=$(first_line url)" ] || fail "opened $(cat "$home/opened")"
  state=$(shell_eval "(w => [w.minimized, w.has_focus(), w.demands_attention, w.urgent].join(' '))($(window_js))")
  echo "after the click: minimized focused demands_attention urgent = $state"
  # Focused, or marked as asking for attention (the shell then says the
  # window "is ready" in a notification of its own).
  read -r _ focused attention urgent <<<"$state"
  [ "$focused" = true ] || [ "$attention" = true ] || [ "$urgent" = true ] ||
    fail "the window neither came forward nor asked for attention: $state"
  echo "the shell's notifications: $(shell_eval "$(notifications_js).map(n => n.title + ': ' + n.bannerBodyText).join(' | ')")"
  # A second start while the first runs, with the window minimised and no
  # longer asking for attention: from a terminal (no token) it can only ask
  # for attention again; started by the shell's launcher (a token of the
  # shell's own, with the time of the user's click) it comes back focused.
  window_state() { shell_eval "(w => [w.minimized, w.has_focus(), w.demands_attention].join(' '))($(window_js))"; }
  second_start() {  # TOKEN
    shell_eval "(w => { w.minimize(); w.unset_demands_attention(); })($(window_js))" >/dev/null
    [ "$(window_state)" = "true false false" ] || fail "the window was not minimised: $(window_state)"
    HOME=$home XDG_CONFIG_HOME= XDG_ACTIVATION_TOKEN=$1 timeout 20 "$program" >>"$home/second.log" 2>&1 ||
      fail "the second start ended with code $?"
    sleep 2
  }
  second_start ""
  state=$(window_state)
  echo "second start from a terminal: minimized focused demands_attention = $state"
  [ "${state#* }" = "false true" ] || fail "a second start from a terminal: $state"
  second_start "$(shell_eval "global.create_app_launch_context(global.display.get_current_time_roundtrip(), -1).get_startup_notify_id(imports.gi.Gio.AppInfo.create_from_commandline('true', 'Quarlen Messenger', 0), [])")"
  state=$(window_state)
  echo "second start from the launcher: minimized focused demands_attention = $state"
  [ "$state" = "false true false" ] || fail "a second start with the launcher's token: $state"
  ! grep -q systemTrayWindowChanged "$home/program.log" || fail "the program warned: $(grep systemTray "$home/program.log")"
  ;;
esac
stop_program $pid
[ $code -eq 0 ] || fail "SIGTERM ended the program with code $code"
echo PASS
