#!/usr/bin/env bash
# Times the metadata pane's reports over the JPEG samples, once through the resident ExifTool and once with one
# ExifTool run per report, and prints both results and the ratio of their medians.
#
# bench/metadata.sh BUILD_DIR   (the build folder holding bench/tagscope-bench-metadata)
set -euo pipefail

build=${1:?usage: bench/metadata.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
samples=$(cd "$here/../../shared/samples" && pwd)
bench=$build/bench/tagscope-bench-metadata

files=()
while IFS= read -r -d '' file; do
    files+=("$file")
done < <(find "$samples" -maxdepth 1 -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) -print0 | sort -z)
if [ ${#files[@]} -lt 2 ]; then
    echo "metadata.sh: fewer than two JPEG files in $samples" >&2
    exit 1
fi

field() { # field NAME LINE: the value after "NAME:" in LINE
    awk -v name="$1:" '{ for (i = 1; i < NF; i++) if ($i == name) print $(i + 1) }' <<<"$2"
}

resident_out=$("$bench" "${files[@]}")
oneshot_out=$("$bench" --one-shot "${files[@]}")
# A file that keeps ExifTool busy for seconds: it reads a text file to its end, and a sparse one costs no disk.
work=$(mktemp -d "${TMPDIR:-/tmp}/metadatabench.XXXXXX")
trap 'rm -rf "$work"' EXIT
truncate -s 4G "$work/slow.txt"
behind_out=$("$bench" --behind "$work/slow.txt" "${files[@]}")
behind=$(tail -n 1 <<<"$behind_out")
resident=$(tail -n 1 <<<"$resident_out")
oneshot=$(tail -n 1 <<<"$oneshot_out")

echo "metadata reports of ${#files[@]} JPEG samples (statistics after the first report)"
echo "resident: first_ms: $(field first_ms "$resident_out") $resident"
echo "one-shot: first_ms: $(field first_ms "$oneshot_out") $oneshot"
echo "behind a slow file (all reports): first_ms: $(field first_ms "$behind_out") $behind"
awk -v r="$(field p50_ms "$resident")" -v p95="$(field p95_ms "$resident")" -v o="$(field p50_ms "$oneshot")" \
    -v b50="$(field p50_ms "$behind")" -v b95="$(field p95_ms "$behind")" 'BEGIN {
    ratio = o / r
    printf "median one-shot / resident: %.1fx\n", ratio
    printf "targets: resident p50 <= 15 ms: %s, p95 <= 60 ms: %s, >= 10x: %s\n",
        (r <= 15 ? "met" : "MISSED"), (p95 <= 60 ? "met" : "MISSED"), (ratio >= 10 ? "met" : "MISSED")
    printf "targets behind a slow file: p50 <= 15 ms: %s, p95 <= 60 ms: %s\n",
        (b50 <= 15 ? "met" : "MISSED"), (b95 <= 60 ? "met" : "MISSED")
}'
