#!/usr/bin/env bash
# How long one request takes when the host's first address drops every packet
# (a broken IPv6 route), beside a host with one working address, on the
# two-namespace network of tests/support/netns_lab.sh. Each request is a new
# httpget process, so a new connection. Prints the median, least and most of
# RUNS requests, in milliseconds, for each httpget given (e.g. this tree's and
# one built from an older tree, to compare). Needs root.
#   bench/net/first_address_drops.sh [RUNS] HTTPGET [HTTPGET...]
# A client that never tries the second address fails after its connect limit:
# CONNECT_LIMIT_MS (default 120000, the program's) bounds each request.
set -uo pipefail
runs=5
case ${1:-} in ''|*[!0-9]*) ;; *) runs=$1; shift ;; esac
[ $# -ge 1 ] || { echo "usage: $0 [RUNS] HTTPGET [HTTPGET...]" >&2; exit 2; }
limit=${CONNECT_LIMIT_MS:-120000}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../tests/support/netns_lab.sh"
dir=$(mktemp -d)
trap 'lab_down; rm -rf "$dir"' EXIT
lab_up "$dir/lab" || exit $?

measure() {
  local httpget=$1 url=$2 i line times=() failed=0
  for i in $(seq "$runs"); do
    line=$(lab_client "$httpget" --connect-timeout "$limit" "$url" | tail -n 1)
    case $line in
      ok\ *) times+=("$(echo "$line" | cut -d' ' -f3)") ;;
      error\ *) times+=("$(echo "$line" | cut -d' ' -f2)"); failed=$((failed + 1)) ;;
    esac
  done
  printf '%s\n' "${times[@]}" | sort -n | awk -v what="$3" -v failed="$failed" -v runs="$runs" '
    { t[NR] = $1 }
    END { printf "%-58s median %6d ms  least %6d  most %6d  failed %d of %d\n", what, t[int((NR + 1) / 2)], t[1], t[NR], failed, runs }'
}

for httpget in "$@"; do
  echo "$httpget:"
  measure "$httpget" "http://v4.lab:$LAB_PORT/ok" "  one address, answering"
  measure "$httpget" "http://news.lab:$LAB_PORT/ok" "  first address (IPv6) drops, second answers"
done
