#!/usr/bin/env bash
# Builds the Debian package build-package/quillfen_<version>_amd64.deb: both
# programs installed under /usr, the desktop entry, the icon, the AppStream
# data, the help page and the manual pages; Depends from dpkg-shlibdeps.
# Then checks it with lintian, which must report no error.
#
#   scripts/package.sh            then: sudo apt install ./build-package/quillfen_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh dpkg-dev file lintian

folder=build-package
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
# The installed programs look for their help page under the prefix, so the
# package is built for /usr from the start.
cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DQUILLFEN_BUILD_TESTS=OFF -DQUILLFEN_BUILD_BENCHMARKS=OFF "${launcher[@]}"
cmake --build "$folder" --parallel "$(nproc)"
rm -f "$folder"/quillfen_*.deb
(cd "$folder" && cpack -G DEB)

deb=$(ls "$folder"/quillfen_*_amd64.deb)
dpkg-deb --field "$deb" Package Version Depends Recommends
# lintian refuses to run as root without this switch.
lintian --allow-root --fail-on error "$deb"
echo "Built $deb"
