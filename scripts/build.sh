#!/usr/bin/env bash
# Configures (once) and builds Quillfen in build/. Incremental afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
if [ ! -f build/build.ninja ]; then
    launcher=()
    # A compiler cache makes rebuilds of other checkouts of the same sources quick.
    if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
fi
cmake --build build --parallel "$(nproc)"
