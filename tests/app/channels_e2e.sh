#!/usr/bin/env bash
# The channel tabs of the real program against a server that counts requests:
# the channel files are fetched once although the banner refreshes again after
# a minute; channel 0 (rate 2 s) is fetched again at each tick although its page
# may be cached for an hour; channel 1 is never fetched while channel 0 is active.
#   channels_e2e.sh PROGRAM [crash WEB_SITE_BASE_URL]
# With "crash", in a network namespace of its own where the server also stands
# at the web site's port (the pages reach loopback without the proxy), channel
# 0 has rate 0 and the engine's renderers are killed
# (kill -9, as the out-of-memory killer does): the banner and channel 0 load
# again at once, without any timer of theirs; killed again right after, they
# load again only 10 s after their first reload.
program=$1
mode=${2:-rates}
source "$(dirname "$0")/e2e_lib.sh"
e2e_setup
display_or_offscreen

if [ "$mode" = crash ]; then
  site_port=$(echo "${3:-}" | sed -n 's|^http://127\.0\.0\.1:\([0-9]*\).*|\1|p')
  [ -n "$site_port" ] || skip "the web site is not at http://127.0.0.1:PORT"
  private_network net || skip "no network namespace"
  CHANNEL_SERVER_PORT=$site_port "${net[@]}" python3 "$e2e_here/channel_server.py" "$home/port" "$home/requests.log" 150 0,0 &
  started_pids+=($!)
  waitfor 50 test -s "$home/port" || fail "channel_server.py did not start"
  port=$(cat "$home/port")
  program_prefix=("${net[@]}")
else
  start_port_server channel_server.py requests.log 150 2,0
fi
# The program's own requests go through the test server as their proxy.
network_settings "$port" False

start_program program.log
count() { grep -c " $1\$" "$home/requests.log"; }
channel0_loaded() { [ "$(count /channel0.html)" -ge 1 ]; }

waitfor 300 channel0_loaded || fail "channel 0 was never loaded"

if [ "$mode" = crash ]; then
  # renderers PID: the engine's renderer processes below PID.
  renderers() {
    local child
    for child in $(pgrep -P "$1"); do
      tr '\0' ' ' <"/proc/$child/cmdline" 2>/dev/null | grep -q -- '--type=renderer' && echo "$child"
      renderers "$child"
    done
  }
  loaded() { [ "$(count /channel0.html)" -ge "$1" ] && [ "$(count /mt/mtfreetitles.php)" -ge "$1" ]; }
  # at N PAGE: the time the server got the Nth request of PAGE.
  at() { awk -v page="$2" -v n="$1" '$2 == page && ++seen == n { print $1 }' "$home/requests.log"; }
  waitfor 300 loaded 1 || fail "the banner was never loaded"
  sleep 1
  victims=$(renderers $pid)
  [ -n "$victims" ] || fail "no renderer process found"
  kill -KILL $victims
  waitfor 80 loaded 2 || fail "the pages did not load again after their renderer was killed"
  sleep 0.5
  victims=$(renderers $pid)
  kill -KILL $victims
  waitfor 200 loaded 3 || fail "after a second kill the pages never came back"
  for page in /channel0.html /mt/mtfreetitles.php; do
    gap=$(awk -v a="$(at 2 $page)" -v b="$(at 3 $page)" 'BEGIN { printf "%d", (b - a) * 10 }')
    [ "$gap" -ge 95 ] || fail "$page loaded again $((gap / 10)).$((gap % 10)) s after its last reload"
  done
  kill -0 $pid 2>/dev/null || fail "the program ended"
  stop_program $pid
  echo "PASS: after each kill of the renderer the banner and channel 0 came back; the second time 10 s on"
  exit 0
fi
# The banner timer ticks 60 s after start-up; wait past it.
sleep 62
kill -0 $pid 2>/dev/null || fail "the program ended by itself"
stop_program $pid

for file in names links refreshrates; do
  n=$(count "/channels/channel_$file.txt")
  [ "$n" -eq 1 ] || fail "channel_$file.txt fetched $n times"
done
[ "$(count /channel1.html)" -eq 0 ] || fail "channel 1 was fetched while channel 0 was active"
# Ticks every 2 s over the run; allow for a slow machine, not for a cache.
span=$(awk '$2 == "/channel0.html" { if (first == "") first = $1; last = $1 } END { printf "%d", last - first }' "$home/requests.log")
loads=$(count /channel0.html)
[ "$span" -ge 50 ] && [ "$loads" -ge $((span / 4)) ] || fail "channel 0 loaded $loads times in ${span} s"
echo "PASS: channel 0 loaded $loads times in ${span} s; channel files fetched once"
