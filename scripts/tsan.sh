#!/usr/bin/env bash
# Builds the threaded tests with ThreadSanitizer in a build folder of their own (build-tsan) and runs
# them (the CTest label "threads": mixer and audio device, loading thread, single instance, demo
# recorder). Any data race fails the run. Extra arguments go to ctest.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ZEST_TSAN_BUILD_DIR:-$top/build-tsan}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEST_TSAN=ON -DZEST_BENCH=OFF \
        ${ZEST_CMAKE_ARGS:-}
fi
# Only the test programs that hold threaded tests, and the game data they play with.
cmake --build "$build" -j "$(nproc)" --target tests_audio tests_platform tests_app tests_game zest_data
cd "$build"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
# halt_on_error: the first race ends the test with a failure; second_deadlock_stack for lock-order reports.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
ctest --output-on-failure -j "$(nproc)" --timeout 600 -L threads "$@"
