#!/usr/bin/env bash
# Installs the Debian packages Quillfen needs to build, test and run, and
# nothing when they are all present. Extra package names may be passed.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config btrfs-progs libsqlite3-dev
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
    qt6-qpa-plugins libqt6svg6 fonts-dejavu-core
    help2man clang-format desktop-file-utils appstream
    libxxhash-dev
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
