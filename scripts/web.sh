#!/usr/bin/env bash
# Builds the browser version of the game into build-web/site/ (index.html, tibble.js, tibble.wasm,
# main.pak, icons), a folder any static web server can publish as it is.
#   scripts/web.sh                 build the site
#   scripts/web.sh --serve [PORT]  build it, then serve it on http://127.0.0.1:PORT/ (default 8080)
# The WebAssembly libraries come from scripts/web-deps.sh (built once, cached); main.pak comes from the
# desktop build (build/, made by scripts/setup.sh when missing).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"

serve=""
port=8080
if [ "${1:-}" = "--serve" ]; then
    serve=1
    port=${2:-8080}
fi

deps=$(bash scripts/web-deps.sh | tail -n 1)
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
export EM_CACHE
EM_CACHE=$(dirname "$deps")/emcache

native=${ZEST_BUILD_DIR:-build}
if [ ! -f "$native/build.ninja" ]; then
    bash scripts/setup.sh
else
    cmake --build "$native" --target zest_data
fi

build=${ZEST_WEB_BUILD_DIR:-build-web}
if [ ! -f "$build/build.ninja" ]; then
    emcmake cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEST_WEB_DEPS="$deps" \
        ${ZEST_WEB_CMAKE_ARGS:-}
fi
cmake --build "$build" --target tibble -j "$(nproc)"

site=$build/site
rm -rf "$site.tmp"
mkdir -p "$site.tmp/icons"
cp "$build/bin/tibble.js" "$build/bin/tibble.wasm" "$native/bin/main.pak" "$site.tmp/"
for size in 16 32 48 64 128 256; do
    icon=$(find "$native/icons" -path "*${size}x${size}*" -name '*.png' | head -n 1)
    [ -n "$icon" ] && cp "$icon" "$site.tmp/icons/icon-$size.png"
done
# The archive's size lets the page show its bar where a server sends no length.
size=$(stat -c %s "$native/bin/main.pak")
sed "s|<body>|<body data-size=\"$size\">|" web/index.html > "$site.tmp/index.html"
rm -rf "$site"
mv "$site.tmp" "$site"
echo "Site in $site:"
(cd "$site" && find . -type f -printf '%9s  %P\n' | sort -k2)

if [ -n "$serve" ]; then
    echo "Serving on http://127.0.0.1:$port/ (Ctrl+C stops)"
    exec python3 -m http.server --bind 127.0.0.1 --directory "$site" "$port"
fi
