#!/usr/bin/env bash
# The checksum cache, end to end: what a second run over unchanged files
# costs against the walk alone (--compare none), what keeping the checksums
# costs a first run (fuzzy,crc and fuzzy,bytewise), and how many reads a
# second bytewise run still makes after a first one.
# The commands take turns round by round on a warm page cache; the groups of
# every cached run are checked against a run without the cache.
#
#   bench/cache.sh [ROUNDS] [TREE...]
#
# ROUNDS: runs of each command (default 5; the median is shown). TREE: mixed,
# small or files:N as bench/make_compare_trees.py makes them (default: mixed
# small). QUILLFEN_BENCH_DIR holds the trees (default /tmp/quillfen-bench);
# BUILD is the build folder (default build). The cache goes to a temporary
# folder, never the user's.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
shift || true
trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(mixed small)
build=${BUILD:-build}
data=${QUILLFEN_BENCH_DIR:-/tmp/quillfen-bench}
scripts/install-deps.sh python3 strace
cmake --build "$build" --target quillfen-cli >/dev/null
cli=$(realpath "$build/src/app/quillfen-cli")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CACHE_HOME=$work/cache

median() { sort -g | awk '{v[NR] = $0} END {print v[int((NR + 1) / 2)]}'; }

# run NAME ROOT: seconds of one run; its groups go to $work/NAME.txt.
run() {
    local name=$1 root=$2
    case $name in
    none) set -- --compare none ;;
    crc-nocache) set -- --no-cache --compare fuzzy,crc ;;
    crc-first)
        rm -rf "$XDG_CACHE_HOME"
        set -- --compare fuzzy,crc
        ;;
    crc-second) set -- --compare fuzzy,crc ;;
    bytewise-nocache) set -- --no-cache --compare fuzzy,bytewise ;;
    bytewise-first)
        rm -rf "$XDG_CACHE_HOME"
        set -- --compare fuzzy,bytewise
        ;;
    bytewise-second) set -- --compare fuzzy,bytewise ;;
    esac
    # To the millisecond: /usr/bin/time gives hundredths, a tenth of a run
    # on the mixed tree.
    local start=${EPOCHREALTIME/,/.} # some locales write a decimal comma
    "$cli" "$@" "$root" >"$work/$name.txt" 2>/dev/null
    local end=${EPOCHREALTIME/,/.}
    awk -v a="$start" -v b="$end" 'BEGIN{printf "%.3f\n", b - a}'
}

# The reads (pread64 calls) of one run.
reads() {
    strace -f -c -e trace=pread64 -o "$work/strace.txt" "$cli" "$@" >/dev/null 2>&1
    awk '$NF == "pread64" {print $4}' "$work/strace.txt"
}

names=(none crc-nocache crc-first crc-second bytewise-nocache bytewise-first bytewise-second)
echo "rounds: $rounds; $(nproc) cores; $(date -u +%F)"
for tree in "${trees[@]}"; do
    root=$data/${tree/:/-}
    python3 bench/make_compare_trees.py "$root" "$tree" >&2
    # Checksums are kept only of files that last changed a few seconds ago.
    sleep 4
    rm -rf "$XDG_CACHE_HOME"
    run crc-first "$root" >/dev/null # fills the page cache and the checksum cache
    declare -A times=()
    for _ in $(seq "$rounds"); do
        for name in "${names[@]}"; do
            times[$name]+="$(run "$name" "$root")"$'\n'
        done
    done
    for name in crc-first crc-second; do
        cmp -s "$work/crc-nocache.txt" "$work/$name.txt" || echo "$tree: $name found other groups"
    done
    for name in bytewise-first bytewise-second; do
        cmp -s "$work/bytewise-nocache.txt" "$work/$name.txt" || echo "$tree: $name found other groups"
    done
    declare -A med=()
    for name in "${names[@]}"; do
        med[$name]=$(printf '%s' "${times[$name]}" | median)
        printf '%-8s %-17s %8s s\n' "$tree" "$name" "${med[$name]}"
    done
    ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.2f", a / b}'; }
    echo "$tree: second fuzzy,crc run / walk alone: $(ratio "${med[crc-second]}" "${med[none]}")"
    echo "$tree: first fuzzy,crc run with the cache / without: $(ratio "${med[crc-first]}" "${med[crc-nocache]}")"
    echo "$tree: first fuzzy,bytewise run with the cache / without: $(ratio "${med[bytewise-first]}" "${med[bytewise-nocache]}")"
    echo "$tree: second fuzzy,bytewise run / without the cache: $(ratio "${med[bytewise-second]}" "${med[bytewise-nocache]}")"
    # The reads of a second bytewise run after a first one filled the cache.
    rm -rf "$XDG_CACHE_HOME"
    run bytewise-first "$root" >/dev/null
    echo "$tree: pread64 calls of fuzzy,bytewise without the cache: $(reads --no-cache --compare fuzzy,bytewise "$root"), second run: $(reads --compare fuzzy,bytewise "$root")"
    unset times med
done
