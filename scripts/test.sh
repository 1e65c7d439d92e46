#!/usr/bin/env bash
# Sets everything up (see setup.sh) and runs the whole test suite headless.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/setup.sh"
cd "$top/${ZEST_BUILD_DIR:-build}"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
ctest --output-on-failure -j "$(nproc)" --timeout 300 "$@"
