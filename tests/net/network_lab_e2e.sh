#!/usr/bin/env bash
# The HTTP client on a network as traders meet it (tests/support/netns_lab.sh):
# a name whose first address drops every packet, a name server that never
# answers, a proxy reached by such a name in front of the bundled feed server,
# and nginx closing a kept connection without a word. Each row says what the
# request must end with, never how fast. Exits 77 (skipped) where the system
# refuses namespaces.
#   network_lab_e2e.sh HTTPGET NET_TESTS
set -uo pipefail
httpget=$1
net_tests=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/netns_lab.sh"
dir=$(mktemp -d)
trap 'bash "$here/../../tools/feedserver/stop" "$dir/feedserver" >/dev/null 2>&1; lab_down; rm -rf "$dir"' EXIT
lab_up "$dir/lab" || exit $?
# The feed server listens on the server's own loopback: only the proxy reaches it.
lab_server bash "$here/../../tools/feedserver/start" "$dir/feedserver" 8421 >/dev/null 2>&1 </dev/null || {
  echo "FAIL: the feed server did not start"
  exit 1
}

failures=0
# row NAME EXPECTED ARGS...: the last line httpget prints must start with EXPECTED.
row() {
  local name=$1 expected=$2
  shift 2
  local out
  out=$(lab_client "$httpget" "$@" 2>&1 | tail -n 1)
  if [[ $out == "$expected"* ]]; then
    echo "PASS: $name ($out)"
  else
    echo "FAIL: $name: expected '$expected...', got '$out'"
    failures=$((failures + 1))
  fi
}

# The connect limits are short so a client that waits on the dropped address
# fails, not slow: the second address must be tried within them.
row "first address drops: the second one answers" "ok 2" --connect-timeout 3000 "http://news.lab:$LAB_PORT/ok"
row "IPv4-only name" "ok 2" --connect-timeout 3000 "http://v4.lab:$LAB_PORT/ok"
row "silent name server: the connect limit ends the lookup" "error" --connect-timeout 1000 "http://silent.lab:$LAB_PORT/ok"
row "proxy whose first address drops, feed server behind it" "ok" --connect-timeout 3000 \
  --proxy "proxy.lab:$LAB_PROXY_PORT" "http://127.0.0.1:8421/feeds/messenger4.xml.win-1251"
if ! grep -q "Connect timed out." <(lab_client "$httpget" --connect-timeout 1000 "http://silent.lab:$LAB_PORT/ok"); then
  echo "FAIL: a lookup the name server never answers did not end with \"Connect timed out.\""
  failures=$((failures + 1))
fi

# nginx's "return 444" on a kept connection: the request goes out once more on
# a fresh connection, then the failure; never a third time.
row "kept connection closed without an answer" "error" "http://$LAB_SERVER_V4:$LAB_PORT/ok" \
  "http://$LAB_SERVER_V4:$LAB_PORT/close"
sleep 0.5  # nginx writes its log line after the close
sent=$(grep -c "GET /close" "$dir/lab/access.log")
if [ "$sent" = 2 ]; then
  echo "PASS: /close was sent twice: on the kept connection and on one fresh one"
else
  echo "FAIL: /close reached nginx $sent times, expected 2"
  failures=$((failures + 1))
fi

# Requests on the program's one network thread while a lookup hangs.
if ! lab_client env QUARLEN_NETWORK_LAB=1 "$net_tests" --gtest_filter='NetworkLab.*' >"$dir/gtest.log" 2>&1; then
  cat "$dir/gtest.log"
  failures=$((failures + 1))
fi
grep -E "^\[ +(OK|SKIPPED|FAILED) +\]" "$dir/gtest.log"
[ "$failures" -eq 0 ]
