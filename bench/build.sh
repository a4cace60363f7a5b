#!/bin/sh
# Builds a Release tarnwick-batch into BUILD_DIR (default: build-bench) and prints its path.
# Usage: bench/build.sh [BUILD_DIR]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-bench"}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARNWICK_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target tarnwick-batch >/dev/null
echo "$build/cli/tarnwick-batch"
