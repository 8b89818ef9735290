#!/usr/bin/env bash
# How Quillfen's time and peak memory grow with the number of files: trees of
# the small kind (bench/make_compare_trees.py files:N) from 10,000 to
# 1,000,000 files, `quillfen-cli --no-cache --compare fuzzy,bytewise`, warm
# (median of ROUNDS runs after an untimed one) and, as root, cold (one run
# after the page cache is dropped). Per-file figures show whether the growth
# is linear: they should stay flat.
#
#   bench/growth.sh [ROUNDS] [N...]
#
# ROUNDS: warm runs per tree (default 3). N: tree sizes (default 10000 30000
# 100000 300000 1000000). QUILLFEN_BENCH_DIR holds the trees (default
# /tmp/quillfen-bench); BUILD is the build folder (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 30000 100000 300000 1000000)
build=${BUILD:-build}
data=${QUILLFEN_BENCH_DIR:-/tmp/quillfen-bench}
scripts/install-deps.sh time python3
cmake --build "$build" --target quillfen-cli >/dev/null
cli=$(realpath "$build/src/app/quillfen-cli")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

can_drop=no
if [ "$(id -u)" -eq 0 ] && sync && echo 3 >/proc/sys/vm/drop_caches 2>/dev/null; then
    can_drop=yes
fi

# "seconds kilobytes" of one run.
run_once() {
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$cli" --no-cache --compare fuzzy,bytewise \
        "$1" >/dev/null 2>&1
    tail -n 1 "$work/time.txt"
}

median() { sort -g | awk '{v[NR] = $0} END {print v[int((NR + 1) / 2)]}'; }

empty=$(mkdir -p "$work/empty" && run_once "$work/empty")
base_kb=${empty#* }
echo "cache dropping: $can_drop; rounds: $rounds; $(nproc) cores; $(date -u +%F)"
echo "an empty folder peaks at $(awk -v m="$base_kb" 'BEGIN{printf "%.1f", m / 1024}') MB"
printf '%9s %9s %8s %9s %9s %8s %12s\n' files groups warm_s "us/file" cold_s "peak MB" "B/file above"
for n in "${sizes[@]}"; do
    root=$data/files-$n
    python3 bench/make_compare_trees.py "$root" "files:$n" >&2
    files=$(find "$root" -type f -not -path '*/.*' | wc -l)
    run_once "$root" >/dev/null
    times="" peak=0
    for _ in $(seq "$rounds"); do
        line=$(run_once "$root")
        times+="${line% *}"$'\n'
        peak=$(awk -v a="$peak" -v b="${line#* }" 'BEGIN{print (b > a ? b : a)}')
    done
    warm=$(printf '%s' "$times" | median)
    cold=-
    if [ "$can_drop" = yes ]; then
        sync
        echo 3 >/proc/sys/vm/drop_caches
        cold=$(run_once "$root")
        cold=${cold% *}
    fi
    groups=$("$cli" --no-cache --compare fuzzy,bytewise "$root" 2>/dev/null | awk 'BEGIN{RS=""} END{print NR}')
    awk -v f="$files" -v g="$groups" -v w="$warm" -v c="$cold" -v m="$peak" -v b="$base_kb" \
        'BEGIN{printf "%9d %9d %8.2f %9.2f %9s %8.1f %12.0f\n", f, g, w, w * 1e6 / f, c,
               m / 1024, (m - b) * 1024 / f}'
done
