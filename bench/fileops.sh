#!/usr/bin/env bash
# Times the selection commands and the removal of the file list over 1,000,000 rows (no window shown).
#
# bench/fileops.sh BUILD_DIR   (the build folder holding bench/tagscope-bench-fileops)
set -euo pipefail

build=$(cd "${1:?usage: bench/fileops.sh BUILD_DIR}" && pwd)

echo "== selection and removal over 1,000,000 rows"
output=$(QT_QPA_PLATFORM=offscreen "$build/bench/tagscope-bench-fileops" 1000000 2>/dev/null)
# The paint of the list with every other row selected, for the record, then the line the targets are read from.
grep '^paint_ms:' <<<"$output" || true
result=$(tail -n 1 <<<"$output")
echo "$result"
awk '{ for (i = 1; i < NF; i++) v[$i] = $(i + 1) }
     END {
         printf "target: select all <= 200 ms: %s\n", (v["select_ms:"] <= 200 ? "met" : "MISSED")
         printf "target: invert (every other row selected) <= 200 ms: %s\n", (v["invert_ms:"] <= 200 ? "met" : "MISSED")
         printf "target: find (10%% of rows) <= 200 ms: %s\n", (v["find_ms:"] <= 200 ? "met" : "MISSED")
         printf "target: remove 500,000 scattered rows <= 500 ms: %s\n", (v["remove_ms:"] <= 500 ? "met" : "MISSED")
     }' <<<"$result"
