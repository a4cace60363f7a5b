#!/bin/sh
# Time per hourly file against the size of the database. Usage: bench/growth.sh [BUILD_DIR]
# [growth.py options]. Without BUILD_DIR it builds a Release tarnwick-batch into build-bench.
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
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARNWICK_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target tarnwick-batch >/dev/null
exec python3 "$here/growth.py" --batch "$build/cli/tarnwick-batch" "$@"
