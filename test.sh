#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds with warnings as
# errors and runs every test without a display: the desktop build in build/,
# then the build without the desktop program (Qt Core only) in build-cli/.
# Arguments are passed to ctest.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

echo "Checking the formatting (clang-format)"
find src tests bench \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 clang-format --dry-run -Werror

export QT_QPA_PLATFORM=offscreen
scripts/build.sh build -DQUILLFEN_WERROR=ON
ctest --test-dir build --output-on-failure --parallel "$(nproc)" "$@"

# Without the desktop: the engine, its tests and quillfen-cli. The benchmarks
# are left to the desktop build.
scripts/build.sh build-cli -DQUILLFEN_GUI=OFF -DQUILLFEN_WERROR=ON -DQUILLFEN_BUILD_BENCHMARKS=OFF
ctest --test-dir build-cli --output-on-failure --parallel "$(nproc)" "$@"
