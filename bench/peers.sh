#!/usr/bin/env bash
# Quillfen against the duplicate finders people use (Debian's jdupes, rdfind
# and fdupes), end to end, in one run: warm cache and cold cache (the page
# cache dropped before every run, which needs root), with the peak memory of
# every run, a check of Quillfen's groups against the independent oracle, and
# a check that a second run answered from the checksum cache finds the same.
# The commands take turns round by round, so a noisy neighbour slows all of
# them alike. See docs/benchmarks.md.
#
#   bench/peers.sh [ROUNDS] [TREE...]
#
# ROUNDS: runs of each command per mode (default 3; the median is shown).
# TREE: mixed, small, files:N (generated, N files), usr (/usr as it is);
# default: mixed small files:1000000 usr. Quillfen runs with --no-cache here:
# the peers keep no checksums between runs (bench/cache.sh measures the cache).
# QUILLFEN_BENCH_DIR holds the generated trees (default /tmp/quillfen-bench;
# the million-file tree takes about 6 GB); BUILD is the build folder
# (default build); MODES is "warm cold" by default; LIMIT is the longest a
# single run may take in seconds (default 900): a slower run shows ">LIMIT".
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
shift || true
trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(mixed small files:1000000 usr)
build=${BUILD:-build}
data=${QUILLFEN_BENCH_DIR:-/tmp/quillfen-bench}
modes=${MODES:-warm cold}
limit=${LIMIT:-900}
scripts/install-deps.sh time python3 jdupes rdfind fdupes
cmake --build "$build" --target quillfen-cli >/dev/null
cli=$(realpath "$build/src/app/quillfen-cli")
mkdir -p "$data"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

can_drop=no
if [ "$(id -u)" -eq 0 ] && sync && echo 3 >/proc/sys/vm/drop_caches 2>/dev/null; then
    can_drop=yes
fi

# The command line of a finder on a tree; each prints the groups it found.
command_of() {
    local name=$1 root=$2
    case $name in
    quillfen) echo "$cli --no-cache --compare fuzzy,bytewise $root" ;;
    quillfen-crc) echo "$cli --no-cache --compare crc $root" ;;
    jdupes) echo "jdupes -r -q $root" ;;
    rdfind) echo "rdfind -makeresultsfile false -dryrun true $root" ;;
    fdupes) echo "fdupes -r -q $root" ;;
    esac
}

# run_once NAME ROOT MODE: "seconds kilobytes" of one run.
run_once() {
    local name=$1 root=$2 mode=$3
    if [ "$mode" = cold ]; then
        sync
        echo 3 >/proc/sys/vm/drop_caches
    fi
    # rdfind writes nothing with these options but still wants a writable folder.
    # shellcheck disable=SC2046
    if (cd "$work" && timeout "$limit" /usr/bin/time -f "%e %M" -o "$work/time.txt" \
        $(command_of "$name" "$root") >/dev/null 2>&1); then
        tail -n 1 "$work/time.txt"
    else
        echo ">$limit 0"
    fi
}

median() { sort -g | awk '{v[NR] = $0} END {print v[int((NR + 1) / 2)]}'; }

prepare_tree() {
    local tree=$1
    case $tree in
    usr) echo /usr ;;
    files:*)
        python3 bench/make_compare_trees.py "$data/${tree/:/-}" "$tree" >&2
        echo "$data/${tree/:/-}"
        ;;
    *)
        python3 bench/make_compare_trees.py "$data/$tree" "$tree" >&2
        echo "$data/$tree"
        ;;
    esac
}

finders=(quillfen quillfen-crc jdupes rdfind fdupes)
echo "cache dropping: $can_drop; rounds: $rounds; $(nproc) cores; $(date -u +%F)"
printf '%-14s %-5s %-13s %10s %9s %7s\n' tree cache finder seconds "peak MB" ratio
for tree in "${trees[@]}"; do
    root=$(prepare_tree "$tree")
    # The groups for the checks below: twice, through a checksum cache of the
    # benchmark's own, so that the second run answers from the cache.
    for pass in first second; do
        XDG_CACHE_HOME=$work/cache "$cli" --compare fuzzy,bytewise "$root" \
            >"$work/groups-$pass.txt" 2>/dev/null ||
            echo "$tree: quillfen-cli failed in the $pass run with the cache (status $?)"
    done
    for mode in $modes; do
        if [ "$mode" = cold ] && [ "$can_drop" = no ]; then
            echo "$tree: cold runs skipped (dropping the page cache needs root)"
            continue
        fi
        if [ "$mode" = warm ]; then # one untimed pass of every finder fills the cache
            for name in "${finders[@]}"; do run_once "$name" "$root" warm >/dev/null; done
        fi
        declare -A times=() memory=()
        for _ in $(seq "$rounds"); do
            for name in "${finders[@]}"; do
                line=$(run_once "$name" "$root" "$mode")
                times[$name]+="${line% *}"$'\n'
                memory[$name]+="${line#* }"$'\n'
            done
        done
        best_peer=""
        for name in jdupes rdfind fdupes; do
            t=$(printf '%s' "${times[$name]}" | median)
            [[ $t == \>* ]] && continue
            if [ -z "$best_peer" ] || awk -v a="$t" -v b="$best_peer" 'BEGIN{exit !(a < b)}'; then
                best_peer=$t
            fi
        done
        for name in "${finders[@]}"; do
            t=$(printf '%s' "${times[$name]}" | median)
            m=$(printf '%s' "${memory[$name]}" | sort -g | tail -n 1)
            ratio=-
            if [[ $t != \>* ]] && [ -n "$best_peer" ]; then
                ratio=$(awk -v a="$t" -v b="$best_peer" 'BEGIN{printf "%.2f", a / b}')
            fi
            awk -v tr="$tree" -v mo="$mode" -v n="$name" -v t="$t" -v m="$m" -v r="$ratio" \
                'BEGIN{printf "%-14s %-5s %-13s %10s %9.1f %7s\n", tr, mo, n, t, m / 1024, r}'
        done
        unset times memory
    done
    if [ "$tree" != usr ]; then
        printf '%-14s groups against the oracle: ' "$tree"
        python3 bench/compare_oracle.py check "$root" "$work/groups-first.txt"
    fi
    if cmp -s "$work/groups-first.txt" "$work/groups-second.txt"; then
        printf '%-14s a second run from the checksum cache: the same groups\n' "$tree"
    else
        printf '%-14s a second run from the checksum cache: OTHER GROUPS\n' "$tree"
    fi
done
echo "ratio: the median time over the fastest peer's median in the same mode"
