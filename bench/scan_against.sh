#!/usr/bin/env bash
# Times the scan (quillfen-cli --compare none) of two builds on one warm
# tree, alternating find, build A and build B (B first every other round),
# and prints each series with its median and both peak memories.
#
#   bench/scan_against.sh TREE REPETITIONS CLI_A CLI_B
#
# Build TREE with quillfen-gentree (see scan_vs_find.sh).
set -euo pipefail
tree=$1
reps=$2
first=$3
second=$4
now() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ms_since() { echo $(( ($(now) - $1) / 1000000 )); }

find "$tree" -type f -printf '%s %p\n' >/dev/null
"$first" --compare none "$tree" >/dev/null
"$second" --compare none "$tree" >/dev/null
find_times=()
first_times=()
second_times=()
for ((i = 0; i < reps; i++)); do
    start=$(now)
    find "$tree" -type f -printf '%s %p\n' >/dev/null
    find_times+=("$(ms_since "$start")")
    if ((i % 2)); then
        start=$(now); "$second" --compare none "$tree" >/dev/null; second_times+=("$(ms_since "$start")")
        start=$(now); "$first" --compare none "$tree" >/dev/null; first_times+=("$(ms_since "$start")")
    else
        start=$(now); "$first" --compare none "$tree" >/dev/null; first_times+=("$(ms_since "$start")")
        start=$(now); "$second" --compare none "$tree" >/dev/null; second_times+=("$(ms_since "$start")")
    fi
done
peak_kb() { /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F': ' '/Maximum resident set size/ { print $2 }'; }
echo "find ms: ${find_times[*]} median $(printf '%s\n' "${find_times[@]}" | median)"
echo "A ms: ${first_times[*]} median $(printf '%s\n' "${first_times[@]}" | median)"
echo "B ms: ${second_times[*]} median $(printf '%s\n' "${second_times[@]}" | median)"
echo "peak KB: A $(peak_kb "$first" --compare none "$tree") B $(peak_kb "$second" --compare none "$tree")"
