#!/usr/bin/env bash
# The program as a user runs it with "Use Proxy" and authentication on.
#
#   proxy_e2e.sh PROGRAM
# Its first request (the usage ping of the update check) must reach a
# recording proxy in exactly the request bytes of the program's HTTP profile.
#
#   proxy_e2e.sh PROGRAM https SOURCE_DIR BASE_URL
# PROGRAM is a build whose servers are all BASE_URL (https), run against the
# bundled feed server over TLS behind a real tinyproxy that asks for a log-in.
# The program runs in a network namespace of its own whose loopback holds
# only a bridge to the proxy (socat to a Unix socket); the feed server and
# tinyproxy run in a second namespace, so the servers are reachable through
# the proxy alone. The network settings are changed in the dialog, as a user
# does: direct (refused), then the proxy with a wrong password (the offline
# notice, no box), then the right password: articles arrive, and the banner
# and a channel page load with their images; then another proxy, which the
# banner's reload right after OK takes.
program=$1
source "$(dirname "$0")/e2e_lib.sh"
e2e_setup

recorded_request() {
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
}

# connects NETWORK PORT: something answers on 127.0.0.1:PORT in that namespace.
connects() {
  local -n ns=$1
  "${ns[@]}" bash -c "exec 3<>/dev/tcp/127.0.0.1/$2" 2>/dev/null
}
# served PATH: nginx answered PATH with 200 to the embedded browser (its agent names the engine).
served() { grep -a "\"GET $1 HTTP/1.1\" 200 .*QtWebEngine" "$state/access.log" >/dev/null 2>&1; }
lines_of() { if [ -f "$1" ]; then grep -c '' "$1"; else echo 0; fi; }
# proxy_requests [NAME]: the requests tinyproxy NAME (default the first) has seen.
proxy_requests() { grep -c 'Request (file descriptor' "$home/${1:-tinyproxy}.log"; }
# engine_loads PATH: how often nginx served PATH to the embedded browser.
engine_loads() { grep -ac "\"GET $1 HTTP/1.1\" 200 .*QtWebEngine" "$state/access.log"; }

# start_proxy NAME PORT: a real tinyproxy asking for joe's log-in in the
# servers' namespace, logging to $home/NAME.log, and the bridge to it from
# 127.0.0.1:PORT in the program's namespace (socat over $home/NAME.sock);
# nothing else leads out of there.
start_proxy() {
  local name=$1 port=$2
  printf '%s\n' "Port $port" "Listen 127.0.0.1" "Timeout 30" "LogLevel Connect" "LogFile \"$home/$name.log\"" \
    "MaxClients 30" "Allow 127.0.0.1" "BasicAuth joe s3cret" >"$home/$name.conf"
  "${servers[@]}" tinyproxy -d -c "$home/$name.conf" >"$home/$name-out.log" 2>&1 &
  started_pids+=($!)
  waitfor 100 connects servers "$port" || fail "$name did not start"
  "${servers[@]}" socat UNIX-LISTEN:"$home/$name.sock",fork,unlink-early TCP4:127.0.0.1:"$port" &
  started_pids+=($!)
  waitfor 50 test -S "$home/$name.sock" || fail "the bridge's server end to $name did not start"
  "${client[@]}" socat TCP4-LISTEN:"$port",bind=127.0.0.1,reuseaddr,fork UNIX-CONNECT:"$home/$name.sock" &
  started_pids+=($!)
  waitfor 50 connects client "$port" || fail "the bridge's program end to $name did not start"
}
# menu_command MENU ITEM: the main menu's command by its two access keys.
menu_command() {
  local wid
  wid=$(main_window $pid) || fail "no main window"
  xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
  xdotool key "alt+$1"
  sleep 0.5
  xdotool key "$2"
}
# network_dialog ACTION...: opens Network Settings from the menu, does each
# ACTION there (xdotool's own words, "key alt+u") and confirms with OK.
dialog_shown() { [ -n "$(xdotool search --all --onlyvisible --pid "$pid" --name '^Network Settings$')" ]; }
dialog_gone() { ! dialog_shown; }
network_dialog() {
  menu_command o n
  waitfor 50 dialog_shown || fail "the Network Settings dialog did not open"
  sleep 0.3
  local action
  for action in "$@"; do
    # shellcheck disable=SC2086 # an action is several words on purpose
    xdotool $action
  done
  xdotool key alt+o
  xdotool keyup alt o Return
  waitfor 50 dialog_gone || fail "OK did not close the dialog"
}
# the_only_window: nothing but the main window is shown (no log-in or error box).
the_only_window() {
  local w name
  for w in $(xdotool search --onlyvisible --pid $pid '' 2>/dev/null); do
    name=$(xdotool getwindowname "$w" 2>/dev/null)
    [ "$name" = "$program_title" ] || [ -z "$name" ] || { echo "a window '$name' is shown"; return 1; }
  done
}

https_through_proxy() {
  local source=$1 base=$2
  local tls_port=${base##*:} host=${base#https://}
  host=${host%:*}
  for tool in socat tinyproxy nsenter unshare certutil openssl xdotool; do
    command -v "$tool" >/dev/null || skip "needs $tool"
  done
  command -v nginx >/dev/null || [ -x /usr/sbin/nginx ] || skip "needs nginx"
  needs_display
  # Only the proxy's side knows the servers' name: the engine would send no
  # loopback address (127.0.0.1, localhost) through a proxy, whatever its route.
  printf '127.0.0.1 localhost\n127.0.0.1 %s\n' "$host" >"$home/hosts"
  private_network servers "$home/hosts" || skip "no network and mount namespace of its own here (unshare -n -m)"
  private_network client || skip "no second network namespace here"
  # The display's socket is a file, which every namespace reaches (the
  # abstract one is per namespace).
  "${client[@]}" xdpyinfo >/dev/null 2>&1 || skip "the display $DISPLAY is not reachable from a network namespace"

  state=$home/feedserver
  "${servers[@]}" bash "$source/tools/feedserver/start" "$state" 8421 "$tls_port" "$base" ||
    fail "the feed server did not start"
  exit_hooks+=("bash '$source/tools/feedserver/stop' '$state' >/dev/null 2>&1")
  # Two proxies, each with a bridge of its own, so a change of route shows in their logs.
  start_proxy tinyproxy 3128
  start_proxy tinyproxy2 3129
  connects client "$tls_port" && fail "the feed server is reachable without the proxy"

  # The program's own requests trust the private authority through OpenSSL,
  # the embedded pages through the engine's own certificate store.
  export SSL_CERT_FILE=$state/tls/ca.pem
  mkdir -p "$home/.pki/nssdb"
  certutil -d "sql:$home/.pki/nssdb" -N --empty-password
  certutil -d "sql:$home/.pki/nssdb" -A -t C,, -n "feed server authority" -i "$state/tls/ca.pem"

  # Stored: the proxy with a wrong password, "Use Proxy" off.
  network_settings 3128 True joe wrong
  sed -i 's#<UseProxy>True#<UseProxy>False#' "$home/.config/KVTNetworkSettings.xml"
  program_prefix=("${client[@]}")
  start_program program.log
  waitfor 300 has_main_window $pid || fail "no main window"
  sleep 5
  [ "$(proxy_requests)" -eq 0 ] || fail "a request reached the proxy with \"Use Proxy\" off"

  # The proxy with the wrong password: refused, and the banner shows its notice, never a box.
  network_dialog "key alt+u"
  waitfor 150 grep -q "CONNECT $host:$tls_port" "$home/tinyproxy.log" || fail "the proxy saw no CONNECT"
  sleep 5
  [ "$(lines_of "$state/access.log")" -eq 0 ] || fail "a request got past the proxy with a wrong password"
  the_only_window || fail "a box came up for the refused log-in"
  local refused
  refused=$(proxy_requests)

  # The right password. No page has loaded since "Use Proxy" came on, so the
  # banner's load after this OK is the pages' first on the new route; it has
  # to go through the proxy at once (the banner's own next reload is a minute
  # away, beyond the wait).
  network_dialog "key alt+w" "key ctrl+a" "type s3cret"
  menu_command f n
  local lists=$home/.config/QuarlenMessenger
  waitfor 300 eval '[ "$(lines_of "$lists/kvt_url_list.dat")" -gt 0 ]' || fail "no article arrived"
  waitfor 300 served /mt/mtfreetitles.php || fail "the banner did not load"
  waitfor 300 served /charts/MOEX.png || fail "the first channel page did not load"
  served /channels/markets.html || fail "the first channel's page was not asked for"
  the_only_window || fail "a box came up"

  # Another proxy: the banner's reload right after OK takes the new route, the old one sees nothing more.
  local before banners
  before=$(proxy_requests)
  banners=$(engine_loads /mt/mtfreetitles.php)
  network_dialog "key alt+p" "key ctrl+a" "type 3129"
  waitfor 300 eval '[ "$(engine_loads /mt/mtfreetitles.php)" -gt "$banners" ]' || fail "the banner did not reload"
  [ "$(proxy_requests)" -eq "$before" ] || fail "a request took the old proxy after the change"
  [ "$(proxy_requests tinyproxy2)" -gt 0 ] || fail "the new proxy saw nothing"
  stop_program $pid

  local connects_seen
  connects_seen=$(grep -c "CONNECT $host:$tls_port" "$home/tinyproxy.log")
  grep -a '"GET /ping.php' "$state/access.log" | grep -q 'Quarlen Messenger' || fail "the ping did not arrive"
  echo "PASS: $(lines_of "$lists/kvt_url_list.dat") articles; $connects_seen CONNECTs through the proxy" \
    "($refused refused while the password was wrong), then $(proxy_requests tinyproxy2) through the second;" \
    "banner and channel page loaded over https"
}

case ${2:-} in
  https) https_through_proxy "$3" "$4" ;;
  *) recorded_request ;;
esac
