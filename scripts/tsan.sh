#!/usr/bin/env bash
# Builds the threaded tests with ThreadSanitizer in a build folder of their own (build-tsan) and runs
# them (the CTest label "threads": mixer and audio device, loading thread, single instance, demo
# recorder). Any data race fails the run. Extra arguments go to ctest.
# The game data comes from the normal build (made by setup.sh when missing): generating it again with
# instrumented tools would only take longer.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ZEST_TSAN_BUILD_DIR:-$top/build-tsan}
data=$top/${ZEST_BUILD_DIR:-build}/bin
[ -f "$data/main.pak" ] || "$top/scripts/setup.sh"
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEST_TSAN=ON -DZEST_BENCH=OFF \
        -DZEST_DATA=OFF ${ZEST_CMAKE_ARGS:-}
fi
cmake --build "$build" -j "$(nproc)" --target tests_audio tests_platform tests_app tests_game
mkdir -p "$build/bin"
for item in properties images fonts sounds music maps main.pak; do
    rm -rf "${build:?}/bin/$item"
    cp -r "$data/$item" "$build/bin/$item"
done
cd "$build"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
# The first race ends the test with a failure.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
ctest --output-on-failure -j "$(nproc)" --timeout 600 -L threads "$@"
