#!/bin/sh
# Hourly load benchmark. Usage: bench/run.sh [BUILD_DIR] [bench.py options]
# Without BUILD_DIR it builds a Release tarnwick-batch into build-bench first. BENCH_SCRIPT names
# another benchmark of this folder to run the same way.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=""
case "${1:-}" in
"" | -*) ;;
*)
    build=$1
    shift
    ;;
esac
batch=$("$here/build.sh" $build)
exec python3 "$here/${BENCH_SCRIPT:-bench.py}" --batch "$batch" "$@"
