#!/usr/bin/env bash
# Configures and builds Quillfen; incremental afterwards.
#
#   scripts/build.sh [BUILD-FOLDER [CMAKE-OPTION...] [-- TARGET...]]
#
# Default folder build/. The options (e.g. -DQUILLFEN_GUI=OFF) are applied on
# every call, so a folder configured earlier takes them too; the targets
# default to all.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

folder="${1:-build}"
[ $# -gt 0 ] && shift
options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    options+=("$1")
    shift
done
[ $# -gt 0 ] && shift
targets=("$@")

if [ ! -f "$folder/build.ninja" ] || [ ${#options[@]} -gt 0 ]; then
    launcher=()
    # A compiler cache makes rebuilds of other checkouts of the same sources quick.
    if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
    cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "${options[@]}"
fi
if [ ${#targets[@]} -gt 0 ]; then
    cmake --build "$folder" --parallel "$(nproc)" --target "${targets[@]}"
else
    cmake --build "$folder" --parallel "$(nproc)"
fi
