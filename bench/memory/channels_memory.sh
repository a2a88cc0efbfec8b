#!/usr/bin/env bash
# The whole program's memory (main process plus the embedded browser's helper
# processes: PSS summed by tools/pss-total, and as root each resident page
# counted once by tools/tree-memory) while the bundled channels reload.
#
#   bench/memory/channels_memory.sh PROGRAM [PORT] [SECONDS] [STEP]
#
# Starts the bundled feed server on PORT (default 8441), runs PROGRAM in a fresh
# home folder whose requests go through that server, and prints the figures:
# after start (channel 0, rate 60 s, open), after opening the other two tabs and
# coming back to the first by clicking them (needs a display and xdotool), then every STEP
# seconds (default 600) until SECONDS (default 3600) have passed.
set -euo pipefail
program=$1
port=${2:-8441}
seconds=${3:-3600}
step=${4:-600}
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
pid=""
cleanup() {
  [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
  "$top/tools/feedserver/stop" "$work/feedserver" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---no-sandbox}"

"$top/tools/feedserver/start" "$work/feedserver" "$port"
mkdir -p "$work/home/.config"
printf '<?xml version="1.0" encoding="iso-8859-1"?>\r\n<Configuration>\r\n  <UseProxy>True</UseProxy>\r\n  <UseProxyAuthentication>False</UseProxyAuthentication>\r\n  <Hostname>127.0.0.1</Hostname>\r\n  <Port>%s</Port>\r\n  <Username></Username>\r\n  <Password></Password>\r\n</Configuration>\r\n' "$port" >"$work/home/.config/KVTNetworkSettings.xml"

HOME=$work/home XDG_CONFIG_HOME= "$program" >"$work/log" 2>&1 &
pid=$!
start=$(date +%s)
sleep 30
figures() {
  "$top/tools/pss-total" "$pid" "$1"
  [ "$(id -u)" = 0 ] && "$top/tools/tree-memory" "$pid" "$1"
  return 0
}
figures "after start, channel 0 open:"

if [ -n "${DISPLAY:-}" ] && command -v xdotool >/dev/null; then
  window=$(xdotool search --pid "$pid" --name '^Quarlen Messenger 1' | head -1)
  # The tab bar lies at client x 384, y 80 below the menu bar; the three
  # bundled captions put their tabs' middles at x 414, 477 and 547.
  eval "$(xdotool getwindowgeometry --shell "$window")"
  y=$(( HEIGHT - 529 + 88 ))
  for x in 477 547 414; do
    xdotool mousemove --window "$window" "$x" "$y" click 1
    sleep 10
  done
  sleep 20
  figures "all three channels opened, channel 0 active again:"
fi

while [ $(( $(date +%s) - start )) -lt "$seconds" ]; do
  sleep "$step"
  figures "after $(( ($(date +%s) - start) / 60 )) min:"
done
echo "channel 0 page requests: $(grep -c 'GET /channels/markets.html' "$work/feedserver/access.log")"
