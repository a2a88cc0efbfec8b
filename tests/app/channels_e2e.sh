#!/usr/bin/env bash
# The channel tabs of the real program against a server that counts requests:
# the channel files are fetched once although the banner refreshes again after
# a minute; channel 0 (rate 2 s) is fetched again at each tick although its page
# may be cached for an hour; channel 1 is never fetched while channel 0 is active.
set -u
program=$1
here=$(cd "$(dirname "$0")" && pwd)
home=$(mktemp -d)
pid=""
trap 'kill $server 2>/dev/null; [ -n "$pid" ] && kill -KILL $pid 2>/dev/null; rm -rf "$home"' EXIT
if [ -z "${DISPLAY:-}" ]; then export QT_QPA_PLATFORM=offscreen; fi
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---no-sandbox}"

python3 "$here/channel_server.py" "$home/port" "$home/requests" 150 &
server=$!
for _ in $(seq 50); do [ -s "$home/port" ] && break; sleep 0.1; done
port=$(cat "$home/port")
# The program's own requests go through the test server as their proxy.
mkdir -p "$home/.config"
printf '<?xml version="1.0" encoding="iso-8859-1"?>\r\n<Configuration>\r\n  <UseProxy>True</UseProxy>\r\n  <UseProxyAuthentication>False</UseProxyAuthentication>\r\n  <Hostname>127.0.0.1</Hostname>\r\n  <Port>%s</Port>\r\n  <Username></Username>\r\n  <Password></Password>\r\n</Configuration>\r\n' "$port" >"$home/.config/KVTNetworkSettings.xml"

HOME=$home XDG_CONFIG_HOME= "$program" >"$home/log" 2>&1 &
pid=$!
fail() { echo "FAIL: $*"; echo "--- requests"; cat "$home/requests"; echo "--- program"; cat "$home/log"; exit 1; }
count() { grep -c " $1\$" "$home/requests"; }

for _ in $(seq 300); do [ "$(count /channel0.html)" -ge 1 ] && break; sleep 0.1; done
[ "$(count /channel0.html)" -ge 1 ] || fail "channel 0 was never loaded"
# The banner timer ticks 60 s after start-up; wait past it.
sleep 62
kill -0 $pid 2>/dev/null || fail "the program ended by itself"
kill -TERM $pid
wait $pid
pid=""

for file in names links refreshrates; do
  n=$(count "/channels/channel_$file.txt")
  [ "$n" -eq 1 ] || fail "channel_$file.txt fetched $n times"
done
[ "$(count /channel1.html)" -eq 0 ] || fail "channel 1 was fetched while channel 0 was active"
# Ticks every 2 s over the run; allow for a slow machine, not for a cache.
span=$(awk '$2 == "/channel0.html" { if (first == "") first = $1; last = $1 } END { printf "%d", last - first }' "$home/requests")
loads=$(count /channel0.html)
[ "$span" -ge 50 ] && [ "$loads" -ge $((span / 4)) ] || fail "channel 0 loaded $loads times in ${span} s"
echo "PASS: channel 0 loaded $loads times in ${span} s; channel files fetched once"
