#!/usr/bin/env bash
# The channel tabs of the real program against a server that counts requests:
# the channel files are fetched once although the banner refreshes again after
# a minute; channel 0 (rate 2 s) is fetched again at each tick although its page
# may be cached for an hour; channel 1 is never fetched while channel 0 is active.
program=$1
source "$(dirname "$0")/e2e_lib.sh"
e2e_setup
display_or_offscreen

start_port_server channel_server.py requests.log 150
# The program's own requests go through the test server as their proxy.
network_settings "$port" False

start_program program.log
count() { grep -c " $1\$" "$home/requests.log"; }
channel0_loaded() { [ "$(count /channel0.html)" -ge 1 ]; }

waitfor 300 channel0_loaded || fail "channel 0 was never loaded"
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
