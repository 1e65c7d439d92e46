#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing), configures and
# builds into build/. Idempotent: a second run only rebuilds what changed.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"

packages=(
    cmake ninja-build g++ pkg-config
    libsdl2-dev zlib1g-dev libpng-dev libjpeg-dev
    libvorbis-dev libogg-dev libopenmpt-dev libopenjp2-7-dev
    libfreetype-dev libfontconfig-dev fonts-dejavu-core
    libcairo2-dev librsvg2-dev
    libgtest-dev googletest libgmock-dev libbenchmark-dev libpixman-1-dev
    desktop-file-utils appstream groff-base dpkg-dev
    clang libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -eq 0 ]; then
        apt-get update -q
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
    elif command -v sudo >/dev/null 2>&1; then
        sudo apt-get update -q
        sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
    else
        echo "Please install the missing packages first:" >&2
        echo "  sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
fi

build=${ZEST_BUILD_DIR:-build}
extra=()
[ "${CI:-}" = "true" ] && extra+=(-DZEST_WERROR=ON)
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}" ${ZEST_CMAKE_ARGS:-}
fi
cmake --build "$build" -j "$(nproc)"
