#!/usr/bin/env bash
# The browser build's tests: builds the site and examples/hello's (scripts/web.sh), records the desktop
# fixtures (a demo that completes level 1, with its replay's last picture and counts), then drives the sites
# in Debian's headless Chromium from Node (tests/web). Installs chromium, node and npm with apt-get when
# missing (as root), and the test's one npm package with `npm ci` (it never downloads a browser).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"

# By command, not package: a machine may have its node (and npm with it) from elsewhere.
missing=()
command -v chromium >/dev/null 2>&1 || missing+=(chromium)
command -v node >/dev/null 2>&1 || missing+=(nodejs)
command -v npm >/dev/null 2>&1 || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -eq 0 ]; then
        apt-get update -q
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
    else
        sudo apt-get update -q
        sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
    fi
fi

bash scripts/web.sh
# A framework example built for the browser from its own CMake files.
bash scripts/web.sh --example hello

native=${ZEST_BUILD_DIR:-build}
web=${ZEST_WEB_BUILD_DIR:-build-web}
cmake --build "$native" --target tibble-play
fixtures=$web/fixtures
rm -rf "$fixtures"
mkdir -p "$fixtures"
play="$native/bin/tibble-play"
# The desktop game plays level 1 to its end from the level's solution and records it...
"$play" --level 1 --record "$fixtures/level1.dmo" content/levels/1.play > "$fixtures/record.log"
# ...then replays it: the number of updates, then the replay again with a shot of its last update, whose log
# line gives the update and draw counts the browser must match.
"$play" --demo "$fixtures/level1.dmo" > "$fixtures/replay.log" 2>&1
updates=$(sed -n 's/^demo played \([0-9]*\) updates$/\1/p' "$fixtures/replay.log")
[ -n "$updates" ] || { cat "$fixtures/replay.log"; echo "the desktop replay did not finish" >&2; exit 1; }
echo "$updates shot $fixtures/level1-end.png" > "$fixtures/end.play"
# (the counts are an informational log line, which the default log level keeps quiet)
ZEST_LOG=info "$play" --demo "$fixtures/level1.dmo" "$fixtures/end.play" > "$fixtures/replay.log" 2>&1
sed -n 's/^demo finished after \([0-9]*\) updates and \([0-9]*\) draws$/\1 \2/p' "$fixtures/replay.log" \
    > "$fixtures/level1-counts.txt"
[ -s "$fixtures/level1-counts.txt" ] || { cat "$fixtures/replay.log"; exit 1; }

cd tests/web
if [ ! -d node_modules/playwright-core ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
    PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund
fi
ZEST_WEB_SITE="$top/$web/site" ZEST_WEB_FIXTURES="$top/$fixtures" ZEST_WEB_HELLO="$top/$web/examples/hello/site" node --test --test-concurrency=1 .
