#!/usr/bin/env bash
# Builds the browser version of the game into build-web/site/ (index.html, tibble.js, tibble.wasm,
# main.pak, icons), a folder any static web server can publish as it is.
#   scripts/web.sh                 build the site
#   scripts/web.sh --serve [PORT]  build it, then serve it on http://127.0.0.1:PORT/ (default 8080)
#   scripts/web.sh --example NAME [--serve [PORT]]
#                                  build examples/NAME for the browser from its own CMakeLists.txt against
#                                  the browser build's Zest package, into build-web/examples/NAME/site/
# The WebAssembly libraries come from scripts/web-deps.sh (built once, cached); main.pak comes from the
# desktop build (build/, made by scripts/setup.sh when missing).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"

example=""
if [ "${1:-}" = "--example" ]; then
    example=${2:?"--example needs the name of a folder in examples/"}
    [ -f "examples/$example/CMakeLists.txt" ] || { echo "no examples/$example/CMakeLists.txt" >&2; exit 2; }
    shift 2
fi
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

# The site of one example: its program, its data packed into main.pak (the page reads only the archive), and
# the game's page with the program's name.
if [ -n "$example" ]; then
    cmake --build "$build" --target zest_web_package -j "$(nproc)"
    cmake --build "$native" --target zestpak
    out=$build/examples/$example
    if [ ! -f "$out/build.ninja" ]; then
        emcmake cmake -S "examples/$example" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DZest_DIR="$top/$build/zest"
    fi
    cmake --build "$out" -j "$(nproc)"
    site=$out/site
    rm -rf "$site"
    mkdir -p "$site"
    cp "$out/$example.js" "$out/$example.wasm" "$site/"
    if [ -d "examples/$example/data" ]; then
        # The browser build has no system fonts: a font of the system becomes the game's bitmap face
        # (DejaVu Sans Bold, rendered by the desktop build).
        rm -rf "$out/data"
        cp -r "examples/$example/data" "$out/data"
        if grep -qs 'path="!sys:' "$out/data/properties/resources.xml"; then
            cmake --build "$native" --target zest_data
            mkdir -p "$out/data/fonts"
            cp "$native/bin/fonts/default.txt" "$native/bin/fonts/default.png" "$out/data/fonts/"
            sed -i 's|path="!sys:[^"]*"|path="fonts/default.txt"|' "$out/data/properties/resources.xml"
        fi
        "$native/bin/zestpak" create "$site/main.pak" "$out/data"
    fi
    sed -e "s|Tibble the Bee|Zest $example|g" -e "s|tibble\.js|$example.js|" -e "s|Loading the garden…|Loading…|" \
        -e '/<footer>/,/<\/footer>/c <footer>A program made with Zest.</footer>' \
        -e '/rel="icon"/c <link rel="icon" href="data:,">' -e '/rel="apple-touch-icon"/d' web/index.html > "$site/index.html"
    echo "Site in $site:"
    (cd "$site" && find . -type f -printf '%9s  %P\n' | sort -k2)
    if [ -n "$serve" ]; then
        echo "Serving on http://127.0.0.1:$port/ (Ctrl+C stops)"
        exec python3 -m http.server --bind 127.0.0.1 --directory "$site" "$port"
    fi
    exit 0
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
