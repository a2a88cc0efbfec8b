#!/usr/bin/env bash
# Every figure of the program's weight in one run: start-up, memory of the
# whole process tree, idle CPU hidden in the tray, and the feed parser's
# ratios to libxml2's own parse.
#
#   bench/figures.sh PROGRAM [BUILD_DIR]      (as root)
#
# Runs in a network namespace of its own, so the bundled feed server can take
# the program's compiled-in port 127.0.0.1:8421 whatever else runs on the
# machine. A private Xvfb with trayer on it gives the program a notification
# area. Figures, in order:
#   - start-up: exec to the mapped main window, five fresh starts, median
#   - memory after start (banner and first channel shown, the feed read):
#     every resident page of the program and its helper processes counted
#     once, of it anonymous, and where it goes (tools/tree-memory --breakdown)
#   - idle CPU over 120 s with the window hidden in the tray, timers running
#   - the parser's ratios to libxml2's own parse (bench/parse_ratios.sh, built in BUILD_DIR)
# QUARLEN_BENCH_IDLE_SECONDS and QUARLEN_BENCH_SETTLE_SECONDS shorten a trial run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "$1")
build=${2:-$top/build}
idle_seconds=${QUARLEN_BENCH_IDLE_SECONDS:-120}
settle_seconds=${QUARLEN_BENCH_SETTLE_SECONDS:-30}

if [ -z "${QUARLEN_BENCH_IN_NAMESPACE:-}" ]; then
  exec unshare -n env QUARLEN_BENCH_IN_NAMESPACE=1 bash -c 'ip link set lo up && exec bash "$0" "$@"' "$0" "$@"
fi

# The main window's caption carries the version the program prints.
QUARLEN_VERSION=$("$program" --version | awk '{print $2}')
source "$top/tests/app/e2e_lib.sh"
e2e_setup
started_pids=()
start_xvfb || { echo "Xvfb did not start" >&2; exit 1; }
trayer --edge top --align right --widthtype pixel --width 120 --height 24 >/dev/null 2>&1 &
started_pids+=($!)
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
export QT_QPA_PLATFORM=xcb
"$top/tools/feedserver/start" "$home/feedserver" 8421 >/dev/null
trap '"$top/tools/feedserver/stop" "$home/feedserver" >/dev/null 2>&1 || true
      for p in "${started_pids[@]}"; do kill -KILL "$p" 2>/dev/null; wait "$p" 2>/dev/null; done; rm -rf "$home"' EXIT
echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at start"

python3 "$top/bench/program/startup_time.py" 5 "$program_title" "$program"

start_program program.log
sleep "$settle_seconds"
"$top/tools/tree-memory" "$pid" "memory after start:" --breakdown

# Hidden in the tray as the window's close button does; the timers go on.
window=$(main_window "$pid")
[ -n "$window" ] || { echo "no main window titled '$program_title'" >&2; exit 1; }
python3 "$top/tests/app/close_window.py" "$window"
waitfor 50 is_unmapped "$window" || echo "(the window did not hide into the tray)"
sleep 5
ticks() {
  local total=0 p f
  for p in $(python3 -c "import sys; sys.path.insert(0, '$top/tools'); from processmemory import descendants; print(*descendants($pid))"); do
    f=$(cat "/proc/$p/stat" 2>/dev/null) || continue
    f=${f##*) }
    set -- $f
    total=$(( total + ${12} + ${13} ))
  done
  echo "$total"
}
before=$(ticks)
sleep "$idle_seconds"
after=$(ticks)
hz=$(getconf CLK_TCK)
python3 -c "print(f'idle CPU hidden in the tray over $idle_seconds s: {($after - $before) / $hz * 1000:.0f} ms, '
                  f'{($after - $before) / $hz / $idle_seconds * 100:.3f}% of a core')"
"$top/tools/tree-memory" "$pid" "memory after the idle time:"
stop_program "$pid"

# Instruction counts, so the machine's other load does not move them.
if [ -f "$top/bench/parse_ratios.sh" ]; then
  bash "$top/bench/parse_ratios.sh" "$build" --no-wall-clock
fi
