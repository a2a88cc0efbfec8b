#!/usr/bin/env bash
# Prints, for each feed shape of feedparser_bench, the instructions one
# load-and-parse through TSimpleRSS takes beside libxml2's own parse of the
# same bytes (xmlReadMemory + xmlFreeDoc), counted by callgrind, and their
# ratio; then the wall-clock ratio from Google Benchmark. Instruction counts
# do not move with other load on the machine; the wall clock does.
#
#   bench/parse_ratios.sh [BUILD_DIR] [--no-wall-clock]
#
# BUILD_DIR defaults to build/ beside this folder; feedparser_bench is built
# there first when missing. Needs valgrind.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build
wall=1
for arg in "$@"; do
  case $arg in
    --no-wall-clock) wall=0 ;;
    *) build=$arg ;;
  esac
done
bench=$build/bench/feedparser/feedparser_bench
[ -x "$bench" ] || cmake --build "$build" --target feedparser_bench >&2
command -v valgrind >/dev/null || { echo "valgrind is not installed (tools/install-deps installs it)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Instructions executed inside the one counted call of WHICH on SHAPE.
instructions() {
  local which=$1 shape=$2 function=$3 out=$work/callgrind.$1.$2
  valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect="$function" \
    "$bench" --parse-once="$which" --shape="$shape" >/dev/null 2>"$work/valgrind.log" ||
    { cat "$work/valgrind.log" >&2; exit 1; }
  awk '/^(summary|totals):/ { print $2; exit }' "$out"
}

names=(text-heavy short many)
printf '%-12s %15s %15s %7s\n' shape ours libxml2 ratio
for shape in 0 1 2; do
  ours=$(instructions ours $shape '*MeasuredParseOurs*')
  lib=$(instructions libxml2 $shape '*MeasuredParseLibXml2*')
  [ -n "$ours" ] && [ -n "$lib" ] || { echo "no instruction count for shape $shape" >&2; exit 1; }
  printf '%-12s %15s %15s %7s\n' "${names[$shape]}" "$ours" "$lib" "$(awk -v a="$ours" -v b="$lib" 'BEGIN { printf "%.2f", a / b }')"
done
echo "(instructions per load-and-parse, callgrind)"

[ $wall = 1 ] || exit 0
echo
# The bench prints its own ratios per shape after the runs; repetitions of
# the two parses take turns, so a change of load hits both alike.
"$bench" --benchmark_filter='BM_SimpleRSSLoadAndParse|BM_LibXml2ReadMemory' --benchmark_min_time=0.3 \
  --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true 2>/dev/null |
  grep -E ': TSimpleRSS load-and-parse' || true
echo "(Google Benchmark, median of 5 interleaved repetitions; noisy on a loaded machine, CPU time less so)"
