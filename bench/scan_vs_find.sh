#!/usr/bin/env bash
# Times the quillfen-cli scan (walk, filter, sort, fill; no comparison) of a
# generated tree against `find TREE -type f -printf '%s %p\n'` on the same
# warm tree, alternating the two, and measures the scan's peak memory.
#
#   bench/scan_vs_find.sh [TREE] [FILES] [REPETITIONS]
#
# TREE defaults to /tmp/quillfen-bench-tree (built once by quillfen-gentree
# with FILES files, default 200000); REPETITIONS defaults to 9.
set -euo pipefail
cd "$(dirname "$0")/.."
tree=${1:-/tmp/quillfen-bench-tree}
files=${2:-200000}
reps=${3:-9}

scripts/install-deps.sh time
if [ ! -f build/build.ninja ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build --target quillfen-cli quillfen-gentree >/dev/null
cli=build/src/app/quillfen-cli
# The scan alone: --compare none leaves the contents unread.
scan() { "$cli" --compare none "$@"; }

if [ ! -f "$tree/.quillfen-bench-$files" ]; then
    rm -rf "$tree"
    build/bench/quillfen-gentree "$tree" "$files"
    touch "$tree/.quillfen-bench-$files"
fi

# Warm the caches with one run of each.
find "$tree" -type f -printf '%s %p\n' >/dev/null
scan "$tree" >/dev/null

now() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

find_times=()
cli_times=()
for ((i = 0; i < reps; i++)); do
    start=$(now)
    find "$tree" -type f -printf '%s %p\n' >/dev/null
    find_times+=($(( ($(now) - start) / 1000000 )))
    start=$(now)
    scan "$tree" >/dev/null
    cli_times+=($(( ($(now) - start) / 1000000 )))
done
find_median=$(printf '%s\n' "${find_times[@]}" | median)
cli_median=$(printf '%s\n' "${cli_times[@]}" | median)

peak_kb() { /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F': ' '/Maximum resident set size/ { print $2 }'; }
empty=$(mktemp -d)
base_kb=$(peak_kb "$cli" --compare none "$empty")
rmdir "$empty"
scan_kb=$(peak_kb "$cli" --compare none "$tree")
found=$(scan --json "$tree" | awk -F': ' '/"filesfound"/ { gsub(",", "", $2); print $2 }')
# Text the candidates hold: file names, UTF-16, plus one text per folder.
text_bytes=$(find "$tree" -type f -printf '%f\n' | awk '{ n += 2 * length($0) } END { print n }')
folder_bytes=$(find "$tree" -type d -printf '%p/\n' | awk '{ n += 2 * length($0) } END { print n }')

echo "tree: $tree ($files files), $reps repetitions, runs alternated"
echo "find times (ms): ${find_times[*]}"
echo "scan times (ms): ${cli_times[*]}"
echo "median find: $find_median ms"
echo "median scan: $cli_median ms"
awk -v c="$cli_median" -v f="$find_median" 'BEGIN { printf "ratio scan / find: %.2f\n", c / f }'
echo "peak memory: scan $scan_kb KB, empty-folder run $base_kb KB, $found candidates"
awk -v s="$scan_kb" -v b="$base_kb" -v n="$found" -v t="$text_bytes" -v d="$folder_bytes" 'BEGIN {
    printf "bytes per candidate: %.0f in all, %.0f beyond its name and folder text\n",
        (s - b) * 1024 / n, ((s - b) * 1024 - t - d) / n }'
