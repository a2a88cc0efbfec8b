#!/usr/bin/env bash
# The program as a user runs it with "Use Proxy" and authentication on: its
# first request (the usage ping of the update check) must reach the proxy in
# exactly the request bytes of the program's HTTP profile.
set -u
program=$1
here=$(cd "$(dirname "$0")" && pwd)
home=$(mktemp -d)
trap 'kill $proxy 2>/dev/null; kill -KILL $pid 2>/dev/null; rm -rf "$home"' EXIT
if [ -z "${DISPLAY:-}" ]; then export QT_QPA_PLATFORM=offscreen; fi

python3 "$here/record_proxy.py" "$home/port" "$home/requests" 1 &
proxy=$!
for _ in $(seq 50); do [ -s "$home/port" ] && break; sleep 0.1; done
port=$(cat "$home/port")
mkdir -p "$home/.config"
printf '<?xml version="1.0" encoding="iso-8859-1"?>\r\n<Configuration>\r\n  <UseProxy>True</UseProxy>\r\n  <UseProxyAuthentication>True</UseProxyAuthentication>\r\n  <Hostname>127.0.0.1</Hostname>\r\n  <Port>%s</Port>\r\n  <Username>joe</Username>\r\n  <Password>s&amp;cret</Password>\r\n</Configuration>\r\n' "$port" >"$home/.config/KVTNetworkSettings.xml"

HOME=$home XDG_CONFIG_HOME= "$program" >"$home/log" 2>&1 &
pid=$!
# The banner's ping goes out as soon as the window shows.
for _ in $(seq 300); do [ -s "$home/requests" ] && break; sleep 0.1; done
kill -TERM $pid
wait $pid

agent=$(grep -a '^User-Agent: ' "$home/requests" | head -1 | tr -d '\r')
expected=$(printf 'GET http://127.0.0.1:8421/ping.php?version='"${QUARLEN_VERSION:?}"'&email= HTTP/1.1\r\nContent-Type: text/html\r\nHost: 127.0.0.1:8421\r\nAccept: text/html, */*\r\n%s\r\nProxy-Authorization: Basic %s\r\n\r\n' \
  "$agent" "$(printf 'joe:s&cret' | base64)")
actual=$(cat "$home/requests")
case "$agent" in
  "User-Agent: Quarlen Messenger ${QUARLEN_VERSION:?} "?*) ;;
  *) echo "FAIL: agent line '$agent'"; cat -A "$home/requests"; exit 1 ;;
esac
if [ "$actual" != "$expected" ]; then
  echo "FAIL: the request differs"; echo "--- expected"; printf '%s' "$expected" | cat -A
  echo "--- received"; cat -A "$home/requests"; exit 1
fi
echo "PASS"
