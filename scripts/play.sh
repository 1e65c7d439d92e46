#!/usr/bin/env bash
# Sets everything up (see setup.sh) and starts the game from its own folder.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/setup.sh"
exec "$top/${ZEST_BUILD_DIR:-build}/bin/tibble" "$@"
