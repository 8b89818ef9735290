#!/usr/bin/env bash
# Peak memory of the bytewise pass over one long size run: FILES equal files
# of SIZE bytes (default 100,000 of 8 KB) in 100 folders, scanned and compared
# by quillfen-cli --compare bytewise of each build folder given (default
# build). See docs/benchmarks.md.
#
#   bench/compare_memory.sh [BUILD...]
#
# QUILLFEN_BENCH_DIR holds the tree (default /tmp/quillfen-bench).
set -euo pipefail
cd "$(dirname "$0")/.."
files=${FILES:-100000}
size=${SIZE:-8192}
data=${QUILLFEN_BENCH_DIR:-/tmp/quillfen-bench}
root=$data/equal-$files-$size
scripts/install-deps.sh time python3
[ $# -gt 0 ] || set -- build
if [ ! -e "$root/.complete" ]; then
    python3 - "$root" "$files" "$size" <<'PY'
import os, sys
root, files, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
content = bytes((k * 7 + 3) % 251 for k in range(size))
for f in range(files):
    folder = os.path.join(root, "d%02d" % (f % 100))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "f%06d" % f), "wb") as out:
        out.write(content)
open(os.path.join(root, ".complete"), "w").write("%d files of %d bytes\n" % (files, size))
PY
fi
printf '%-40s %9s %10s %8s\n' build seconds "peak MB" files
for build in "$@"; do
    cli=$build/src/app/quillfen-cli
    /usr/bin/time -f "%e %M" -o "$data/memory-time.txt" "$cli" --compare bytewise "$root" >"$data/memory.out"
    line=$(tail -n 1 "$data/memory-time.txt")
    listed=$(grep -c . "$data/memory.out" || true)
    awk -v b="$build" -v s="${line% *}" -v k="${line#* }" -v n="$listed" \
        'BEGIN{printf "%-40s %9.2f %10.1f %8d\n", b, s, k / 1024, n}'
done
