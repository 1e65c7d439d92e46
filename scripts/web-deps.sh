#!/usr/bin/env bash
# Builds the libraries the browser build links (SDL2, zlib, libpng, libogg, libvorbis) for
# WebAssembly from Debian's source packages, into a cache folder outside the repository:
#   ${XDG_CACHE_HOME:-$HOME/.cache}/tibble-web-deps/<key>/{include,lib}
# The key covers this script and the emcc version, so a second run only prints the prefix.
# Prints the prefix on its last line of output. Installs what it needs with apt-get when run as root.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

packages=(emscripten dpkg-dev cmake make autoconf automake autotools-dev libtool pkg-config nodejs node-acorn xz-utils)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}" >&2
    as_root apt-get update -q >&2
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" >&2
fi

# Debian's emscripten finds its JS optimiser's parser (acorn) only through NODE_PATH.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

version=$(emcc --version | sed -n 1p) # sed reads to the end: head would break the pipe under pipefail
key=$( (cat "${BASH_SOURCE[0]}"; echo "$version") | sha256sum | cut -c1-16)
root=${XDG_CACHE_HOME:-$HOME/.cache}/tibble-web-deps
prefix=$root/$key
if [ -f "$prefix/done" ]; then
    echo "$prefix"
    exit 0
fi

# emcc writes library variants it lacks into its cache; Debian's ships prebuilt and read-only
# (frozen), so a writable copy lives beside the libraries (hard links where the file system allows).
mkdir -p "$root"
export EM_CACHE=$root/emcache
if [ ! -f "$EM_CACHE/sysroot_install.stamp" ]; then
    rm -rf "$EM_CACHE.tmp"
    cp -al /usr/share/emscripten/cache "$EM_CACHE.tmp" 2>/dev/null \
        || { rm -rf "$EM_CACHE.tmp"; cp -a /usr/share/emscripten/cache "$EM_CACHE.tmp"; }
    rm -f "$EM_CACHE.tmp/cache.lock"
    mv "$EM_CACHE.tmp" "$EM_CACHE"
fi

# Source packages come from the same archive and suites the machine installs from.
if ! apt-get source --print-uris -qq zlib >/dev/null 2>&1; then
    echo "Adding deb-src entries for bookworm" >&2
    as_root tee /etc/apt/sources.list.d/tibble-web-src.sources >/dev/null <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    as_root apt-get update -q >&2
fi

work=$root/src-$key
rm -rf "$work" "$prefix"
mkdir -p "$work" "$prefix/include" "$prefix/lib"
jobs=$(nproc)
flags="-O2"

fetch() { # fetch SOURCE-PACKAGE FOLDER-PREFIX: unpacks into $work and prints the folder
    # The newest version first; a mirror that lacks its files falls back to the release's own.
    (cd "$work" && { apt-get source -q "$1" >&2 || apt-get source -q "$1/bookworm" >&2; })
    find "$work" -mindepth 1 -maxdepth 1 -type d -name "$2*" | head -n 1
}

{
    dir=$(fetch zlib zlib-)
    cd "$dir"
    CFLAGS="$flags" emconfigure ./configure --static --prefix="$prefix"
    emmake make -j"$jobs" libz.a
    emmake make install
} >&2

{
    dir=$(fetch libpng1.6 libpng1.6-)
    cd "$dir"
    CFLAGS="$flags" CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" \
        emconfigure ./configure --host=wasm32-unknown-emscripten --prefix="$prefix" \
        --disable-shared --enable-static --disable-hardware-optimizations --disable-tools
    emmake make -j"$jobs" libpng16.la
    emmake make install-libLTLIBRARIES install-pkgincludeHEADERS install-nodist_pkgincludeHEADERS \
        install-pkgconfigDATA
    ln -sf libpng16/png.h libpng16/pngconf.h libpng16/pnglibconf.h "$prefix/include/"
} >&2

{
    dir=$(fetch libogg libogg-)
    cd "$dir"
    # Its config.sub predates the wasm32 target.
    cp /usr/share/misc/config.sub /usr/share/misc/config.guess .
    CFLAGS="$flags" emconfigure ./configure --host=wasm32-unknown-emscripten --prefix="$prefix" \
        --disable-shared --enable-static
    emmake make -j"$jobs" -C src
    emmake make install -C src
    emmake make install -C include
    emmake make install-pkgconfigDATA
} >&2

{
    dir=$(fetch libvorbis libvorbis-)
    cd "$dir"
    cp /usr/share/misc/config.sub /usr/share/misc/config.guess .
    CFLAGS="$flags" PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" \
        OGG_CFLAGS="-I$prefix/include" OGG_LIBS="-L$prefix/lib -logg" \
        emconfigure ./configure --host=wasm32-unknown-emscripten --prefix="$prefix" \
        --disable-shared --enable-static --disable-docs --disable-examples --disable-oggtest
    emmake make -j"$jobs" -C lib
    emmake make install -C lib
    emmake make install -C include
    emmake make install-pkgconfigDATA
} >&2

{
    dir=$(fetch libsdl2 libsdl2-)
    # Threads stay off: the page must run from any static web server, without the cross-origin
    # isolation that shared memory needs.
    emcmake cmake -S "$dir" -B "$work/sdl-build" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
        -DSDL_THREADS=OFF -DSDL_PTHREADS=OFF -DSDL_CPUINFO=OFF -DSDL_ASSEMBLY=OFF
    cmake --build "$work/sdl-build" -j "$jobs"
    cmake --install "$work/sdl-build"
} >&2

rm -rf "$work"
echo "$version" > "$prefix/done"
echo "$prefix"
