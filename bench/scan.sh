#!/usr/bin/env bash
# The folder scan benchmark. Usage: bench/scan.sh BUILD_DIR (a Release build holding bench/tagscope-bench-scan and
# bench/tagscope-maketree).
#
# 1. A tree of 200,000 empty files (20 x 20 x 5 folders of 100 files): the scan with sizes and dates, filter "*" and
#    subfolders, against `find DIR -type f -printf '%s %T@ %p\n'`, both timed in one hyperfine run; prints both
#    times and their ratio.
# 2. A tree of 1,000,000 files (20 x 20 x 25 folders of 100): one scan with --sort, for the memory per listed file
#    and the time of a sort by each column.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
scan="$build/bench/tagscope-bench-scan"
maketree="$build/bench/tagscope-maketree"
for program in "$scan" "$maketree"; do
    if [ ! -x "$program" ]; then
        echo "missing $program: build the targets tagscope-bench-scan and tagscope-maketree first" >&2
        exit 1
    fi
done
command -v hyperfine >/dev/null || { echo "hyperfine is missing (scripts/setup installs it)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/scanbench.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "== scan: 200,000 files (sizes and dates, filter \"*\", subfolders on)"
"$maketree" "$work/tree200k" 20 20 5 100
# Both must list the same files, or the comparison means nothing.
listed=$("$scan" "$work/tree200k" | tail -n 1 | awk '{print $2}')
found=$(find "$work/tree200k" -type f | wc -l)
if [ "$listed" != "$found" ]; then
    echo "the scan listed $listed files, find $found" >&2
    exit 1
fi
hyperfine --style basic --warmup 2 --runs 10 --export-csv "$work/scan.csv" \
    --command-name tagscope-bench-scan "$scan $work/tree200k" \
    --command-name find "find $work/tree200k -type f -printf '%s %T@ %p\n'"
awk -F, 'NR > 1 { mean[$1] = $2; sd[$1] = $3 }
    END {
        printf "tagscope-bench-scan: %.3f s +- %.3f s\n", mean["tagscope-bench-scan"], sd["tagscope-bench-scan"]
        printf "find -printf:        %.3f s +- %.3f s\n", mean["find"], sd["find"]
        printf "ratio scan/find:     %.2f (target <= 1.0, stretch <= 0.7)\n", mean["tagscope-bench-scan"] / mean["find"]
    }' "$work/scan.csv"
rm -rf "$work/tree200k"

echo "== scan and sort: 1,000,000 files"
"$maketree" "$work/tree1m" 20 20 25 100
"$scan" --sort "$work/tree1m"
echo "(targets: at most 300 bytes per listed file, each sort under 1 s)"
