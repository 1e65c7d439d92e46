#!/usr/bin/env bash
# Fuzzes one harness with libFuzzer: scripts/fuzz.sh NAME [SECONDS] [libFuzzer options...]
# Builds the clang fuzzing build in build-fuzz/ when needed. New inputs go to build-fuzz/corpus/NAME
# (the seed corpus fuzz/corpus/NAME is read, never written); crashing inputs to build-fuzz/artifacts/NAME/,
# from where they belong in the seed corpus once fixed. Every allocation over 256 MB counts as a crash.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
name=${1:?usage: scripts/fuzz.sh NAME [SECONDS] [libFuzzer options...]}
seconds=${2:-600}
shift $(( $# >= 2 ? 2 : 1 ))
build=${ZEST_FUZZ_BUILD_DIR:-$top/build-fuzz}
if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEST_FUZZ=ON \
        -DZEST_BENCH=OFF -DZEST_DATA=OFF ${ZEST_CMAKE_ARGS:-}
fi
cmake --build "$build" --target "fuzz_$name"
mkdir -p "$build/corpus/$name" "$build/artifacts/$name"
exec "$build/fuzz/fuzz_$name" -malloc_limit_mb=256 -rss_limit_mb=2048 -timeout=25 -max_total_time="$seconds" \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$name/" "$@" "$build/corpus/$name" "$top/fuzz/corpus/$name"
