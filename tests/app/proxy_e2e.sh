#!/usr/bin/env bash
# The program as a user runs it with "Use Proxy" and authentication on: its
# first request (the usage ping of the update check) must reach the proxy in
# exactly the request bytes of the program's HTTP profile.
program=$1
source "$(dirname "$0")/e2e_lib.sh"
e2e_setup
display_or_offscreen

start_port_server record_proxy.py requests 1
network_settings "$port" True joe 's&amp;cret'

start_program program.log
# The banner's ping goes out as soon as the window shows.
waitfor 300 test -s "$home/requests"
stop_program $pid

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
