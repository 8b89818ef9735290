#!/usr/bin/env bash
# End-to-end benchmark of the content comparison on two generated trees with
# a warm cache: quillfen-cli --compare fuzzy,bytewise against two baselines
# timed in the same run (reading every file of a shared size once with cat,
# and md5sum of them), with the peak memory of each and an independent check
# of the groups found. See docs/benchmarks.md.
#
#   bench/compare_bench.sh [ROUNDS]     (best of ROUNDS, default 3)
#
# QUILLFEN_BENCH_DIR holds the trees (default /tmp/quillfen-bench; about
# 4 GB); BUILD is the build folder (default build). BUILDS="build OTHER..."
# measures the quillfen-cli of several build folders in the same run, in
# turn round by round; only folders inside this checkout are built.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
builds=(${BUILDS:-${BUILD:-build}})
data=${QUILLFEN_BENCH_DIR:-/tmp/quillfen-bench}
scripts/install-deps.sh time python3
for build in "${builds[@]}"; do
    case $build in
    /*) [ -x "$build/src/app/quillfen-cli" ] || { echo "no quillfen-cli in $build" >&2; exit 1; } ;;
    *) cmake --build "$build" --target quillfen-cli >/dev/null ;;
    esac
done
cli=${builds[0]}/src/app/quillfen-cli
passes=fuzzy,bytewise

python3 bench/make_compare_trees.py "$data/mixed" mixed
python3 bench/make_compare_trees.py "$data/small" small

# best_of COMMAND...: the shortest elapsed time of $rounds runs and the peak
# resident memory of that run, as "seconds kilobytes".
best_of() {
    local best="" line
    for _ in $(seq "$rounds"); do
        /usr/bin/time -f "%e %M" -o "$data/time.txt" "$@" >/dev/null
        line=$(tail -n 1 "$data/time.txt")
        if [ -z "$best" ] || awk -v a="${line% *}" -v b="${best% *}" 'BEGIN{exit !(a < b)}'; then
            best=$line
        fi
    done
    echo "$best"
}

printf '%-6s %-34s %9s %10s\n' tree command seconds "peak MB"
for tree in mixed small; do
    root=$data/$tree
    python3 bench/compare_oracle.py shared "$root" >"$data/$tree.shared"
    # Warm the cache: every file that any of the commands reads.
    xargs -0 cat <"$data/$tree.shared" >/dev/null
    "$cli" --compare "$passes" "$root" >"$data/$tree.out"

    if [ ${#builds[@]} -gt 1 ]; then
        # The builds in turn, round by round, so that they share the conditions.
        declare -A bests=()
        for _ in $(seq "$rounds"); do
            for build in "${builds[@]}"; do
                /usr/bin/time -f "%e %M" -o "$data/time.txt" \
                    "$build/src/app/quillfen-cli" --compare "$passes" "$root" >"$data/$tree.b.out"
                cmp -s "$data/$tree.out" "$data/$tree.b.out" || echo "$build: other groups" >&2
                line=$(tail -n 1 "$data/time.txt")
                best=${bests[$build]:-}
                if [ -z "$best" ] || awk -v a="${line% *}" -v b="${best% *}" 'BEGIN{exit !(a < b)}'; then
                    bests[$build]=$line
                fi
            done
        done
        for build in "${builds[@]}"; do
            result=${bests[$build]}
            awk -v t="$tree" -v l="quillfen-cli of $build" -v s="${result% *}" -v k="${result#* }" \
                'BEGIN{printf "%-6s %-34s %9.2f %10.1f\n", t, l, s, k / 1024}'
        done
        unset bests
    fi

    for name in quillfen cat md5sum; do
        case $name in
        quillfen) result=$(best_of "$cli" --compare "$passes" "$root") ;;
        cat) result=$(best_of sh -c 'xargs -0 cat <"$1"' - "$data/$tree.shared") ;;
        md5sum) result=$(best_of sh -c 'xargs -0 md5sum <"$1"' - "$data/$tree.shared") ;;
        esac
        label=$name
        [ "$name" = quillfen ] && label="quillfen-cli --compare $passes"
        [ "$name" = cat ] && label="cat of the shared-size files"
        [ "$name" = md5sum ] && label="md5sum of the shared-size files"
        awk -v t="$tree" -v l="$label" -v s="${result% *}" -v k="${result#* }" \
            'BEGIN{printf "%-6s %-34s %9.2f %10.1f\n", t, l, s, k / 1024}'
    done
    printf '%-6s %-34s ' "$tree" "groups against the oracle"
    python3 bench/compare_oracle.py check "$root" "$data/$tree.out"
done
echo "files and sizes: $(cat "$data/mixed/.complete") (mixed); $(cat "$data/small/.complete") (small)"
