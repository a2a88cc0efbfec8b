# A network as traders meet it, made of two network namespaces joined by a veth
# pair: "server" (10.231.0.1 and fd31::1) and "client" (10.231.0.2 and fd31::2).
# The server drops every TCP packet sent to its IPv6 address, as a broken IPv6
# route or a VPN that blocks IPv6 does, and runs:
#   - nginx on port 8080 of both addresses: /ok answers "ok", /close closes
#     without a word (nginx's "return 444"), keep-alive ends after 2 s;
#   - tinyproxy on port 8888 of both addresses;
#   - a name server on 10.231.0.1 that reads every question and answers none
#     (socat reading UDP port 53; a stand-in, since all it must do is be silent).
# The client sees its own /etc/hosts and /etc/resolv.conf (ip netns exec puts
# /etc/netns/NAME/* over /etc in a private mount namespace): news.lab and
# proxy.lab have both addresses, fd31::1 listed first; v4.lab only 10.231.0.1;
# every other name goes to the silent name server.
#
#   . tests/support/netns_lab.sh
#   lab_up DIR            # needs root, iproute2, nftables, nginx, tinyproxy, socat
#   lab_client CMD...     # runs CMD in the client namespace
#   lab_server CMD...     # runs CMD in the server namespace
#   lab_down              # ends the servers and removes everything lab_up made
# lab_up fails (status 77, with a note) where the system refuses namespaces.
# The nginx access log is $LAB_DIR/access.log.

LAB_SERVER_V4=10.231.0.1
LAB_SERVER_V6=fd31::1
LAB_PORT=8080
LAB_PROXY_PORT=8888

lab_client() { ip netns exec "$LAB_ID-c" "$@"; }
lab_server() { ip netns exec "$LAB_ID-s" "$@"; }

lab_up() {
  LAB_DIR=$(mkdir -p "$1" && cd "$1" && pwd)
  LAB_ID=ql$$
  local tool
  for tool in ip nft nginx tinyproxy socat; do
    if ! command -v "$tool" >/dev/null && [ ! -x "/usr/sbin/$tool" ]; then
      echo "lab: $tool is missing (tools/install-deps installs it)" >&2
      return 77
    fi
  done
  if ! ip netns add "$LAB_ID-s" 2>/dev/null; then
    echo "lab: this system refuses network namespaces" >&2
    return 77
  fi
  ip netns add "$LAB_ID-c"
  ip link add "$LAB_ID-a" netns "$LAB_ID-s" type veth peer name "$LAB_ID-b" netns "$LAB_ID-c"
  lab_server ip link set lo up
  lab_server ip link set "$LAB_ID-a" up
  lab_server ip addr add 10.231.0.1/24 dev "$LAB_ID-a"
  lab_server ip addr add fd31::1/64 dev "$LAB_ID-a" nodad
  lab_client ip link set lo up
  lab_client ip link set "$LAB_ID-b" up
  lab_client ip addr add 10.231.0.2/24 dev "$LAB_ID-b"
  lab_client ip addr add fd31::2/64 dev "$LAB_ID-b" nodad
  lab_server nft -f - <<'NFT'
table inet lab {
  chain input {
    type filter hook input priority 0;
    ip6 daddr fd31::1 meta l4proto tcp drop
  }
}
NFT

  mkdir -p "/etc/netns/$LAB_ID-c"
  cat >"/etc/netns/$LAB_ID-c/hosts" <<'HOSTS'
127.0.0.1 localhost
fd31::1 news.lab proxy.lab
10.231.0.1 news.lab proxy.lab v4.lab
HOSTS
  printf 'nameserver 10.231.0.1\noptions timeout:5 attempts:2\n' >"/etc/netns/$LAB_ID-c/resolv.conf"

  mkdir -p "$LAB_DIR/tmp"
  cat >"$LAB_DIR/nginx.conf" <<CONF
daemon on;
worker_processes 1;
pid $LAB_DIR/nginx.pid;
error_log $LAB_DIR/error.log warn;
$( [ "$(id -u)" -eq 0 ] && echo "user root root;" )
events { worker_connections 64; }
http {
  access_log $LAB_DIR/access.log;
  client_body_temp_path $LAB_DIR/tmp/body;
  proxy_temp_path $LAB_DIR/tmp/proxy;
  fastcgi_temp_path $LAB_DIR/tmp/fastcgi;
  uwsgi_temp_path $LAB_DIR/tmp/uwsgi;
  scgi_temp_path $LAB_DIR/tmp/scgi;
  keepalive_timeout 2s;
  server {
    listen 10.231.0.1:8080;
    listen [fd31::1]:8080;
    location = /ok { default_type text/plain; return 200 "ok"; }
    location = /close { return 444; }
  }
}
CONF
  lab_server nginx -c "$LAB_DIR/nginx.conf" -p "$LAB_DIR" </dev/null >/dev/null 2>&1
  cat >"$LAB_DIR/tinyproxy.conf" <<CONF
Port 8888
Timeout 30
LogLevel Info
LogFile "$LAB_DIR/tinyproxy.log"
PidFile "$LAB_DIR/tinyproxy.pid"
MaxClients 10
Allow 10.231.0.0/24
Allow fd31::/64
DisableViaHeader Yes
CONF
  lab_server tinyproxy -c "$LAB_DIR/tinyproxy.conf" </dev/null >/dev/null 2>&1
  ip netns exec "$LAB_ID-s" socat -u UDP4-RECV:53,bind=10.231.0.1 OPEN:/dev/null </dev/null >/dev/null 2>&1 &
  LAB_DNS_PID=$!
  # Wait until nginx and tinyproxy take connections (at most 10 s).
  local i
  for i in $(seq 100); do
    if lab_client bash -c 'exec 3<>/dev/tcp/10.231.0.1/8080 && exec 4<>/dev/tcp/10.231.0.1/8888' 2>/dev/null; then
      return 0
    fi
    sleep 0.1
  done
  echo "lab: nginx or tinyproxy did not start" >&2
  return 1
}

lab_down() {
  [ -n "${LAB_ID:-}" ] || return 0
  [ -s "$LAB_DIR/nginx.pid" ] && kill "$(cat "$LAB_DIR/nginx.pid")" 2>/dev/null
  [ -s "$LAB_DIR/tinyproxy.pid" ] && kill "$(cat "$LAB_DIR/tinyproxy.pid")" 2>/dev/null
  [ -n "${LAB_DNS_PID:-}" ] && kill "$LAB_DNS_PID" 2>/dev/null
  ip netns del "$LAB_ID-c" 2>/dev/null
  ip netns del "$LAB_ID-s" 2>/dev/null
  rm -rf "/etc/netns/$LAB_ID-c"
  LAB_ID=
  return 0
}
