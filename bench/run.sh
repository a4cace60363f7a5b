#!/bin/sh
# Hourly load benchmark. Usage: bench/run.sh [BUILD_DIR] [bench.py options]
# Without BUILD_DIR it builds a Release tarnwick-batch into build-bench first.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build="$root/build-bench"
case "${1:-}" in
"" | -*) ;;
*)
    build=$1
    shift
    ;;
esac
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j2 --target tarnwick-batch >/dev/null
exec python3 "$here/bench.py" --batch "$build/cli/tarnwick-batch" "$@"
