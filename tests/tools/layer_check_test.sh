#!/usr/bin/env bash
# The layering check of cmake/CheckLayers.cmake on a small tree of its own:
# each row puts one include line into net/Probe.cpp and says whether the
# check must let it through.
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/cmake" "$work/net/ui" "$work/feeds" "$work/platform"
cp "$source_dir/cmake/CheckLayers.cmake" "$source_dir/cmake/Layers.cmake" "$work/cmake/"
touch "$work/feeds/ArticleStore.h" "$work/platform/RgbImage.h" "$work/net/ui/Widget.h"

rows=(
  'fail|#include <feeds/ArticleStore.h>'
  'fail|#  include   "feeds/ArticleStore.h"'
  'fail|#include <net/ui/Widget.h>'
  'pass|#include <platform/RgbImage.h>'
  'pass|#include <net/if.h>'
)
failed=0
for row in "${rows[@]}"; do
  expected=${row%%|*}
  line=${row#*|}
  printf '%s\n' "$line" >"$work/net/Probe.cpp"
  if cmake -DQUARLEN_SOURCE_DIR="$work" -P "$work/cmake/CheckLayers.cmake" >"$work/out.txt" 2>&1; then
    got=pass
  else
    got=fail
  fi
  if [ "$got" != "$expected" ]; then
    echo "FAIL: '$line' should $expected the check, did $got:" >&2
    cat "$work/out.txt" >&2
    failed=$((failed + 1))
  fi
done
echo "$(( ${#rows[@]} - failed )) passed, $failed failed"
[ "$failed" -eq 0 ]
