#!/usr/bin/env bash
# Times the file list export of every output through the program's own export code: 1,000,000 made-up files as TXT,
# CSV, HTML and XLSX, and the 65,536 rows an XLS workbook holds (65,535 files and the header). Each run is the
# median of three; the memory figure is the peak resident growth over the list, read by the program itself.
#
# bench/export.sh BUILD_DIR   (the build folder holding bench/tagscope-bench-export)
set -euo pipefail

build=$(cd "${1:?usage: bench/export.sh BUILD_DIR}" && pwd)
bench=$build/bench/tagscope-bench-export
work=$(mktemp -d "${TMPDIR:-/tmp}/exportbench.XXXXXX")
trap 'rm -rf "$work"' EXIT

field() { # field NAME TEXT: the value after "NAME:" in TEXT
    awk -v name="$1:" '{ for (i = 1; i < NF; i++) if ($i == name) print $(i + 1) }' <<<"$2" | tail -n 1
}

# run FORMAT ROWS LIMIT_SECONDS [LIMIT_MB]
run() {
    local format=$1 rows=$2 limit=$3 memory=${4:-}
    local out seconds=() growth=()
    for _ in 1 2 3; do
        out=$("$bench" --rows "$rows" --format "$format" "$work/list.$format")
        seconds+=("$(field seconds "$out")")
        growth+=("$(awk '/^peak resident growth:/ { print $4 }' <<<"$out")")
        rm -f "$work/list.$format"
    done
    local median mb
    median=$(printf '%s\n' "${seconds[@]}" | sort -g | sed -n 2p)
    mb=$(printf '%s\n' "${growth[@]}" | sort -g | tail -n 1)
    printf '%-5s %9s rows: %6.3f s (runs %s), %s bytes, peak growth %s MB\n' "$format" "$rows" "$median" \
        "${seconds[*]}" "$(field bytes "$out")" "$mb"
    local verdict
    verdict=$(awk -v s="$median" -v l="$limit" -v m="$mb" -v ml="$memory" \
        'BEGIN { ok = s <= l; if (ml != "") ok = ok && m < ml; print (ok ? "met" : "MISSED") }')
    if [ -n "$memory" ]; then
        echo "target: $format $rows rows <= $limit s, growth < $memory MB: $verdict"
    else
        echo "target: $format $rows rows <= $limit s: $verdict"
    fi
}

echo "== the file list export"
run csv 1000000 1.5
run txt 1000000 1.5
run html 1000000 2
run xlsx 1000000 10 100
run xls 65535 1
