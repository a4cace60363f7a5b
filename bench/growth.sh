#!/bin/sh
# Time per hourly file against the size of the database. Usage: bench/growth.sh [BUILD_DIR]
# [growth.py options]. Without BUILD_DIR it builds a Release tarnwick-batch into build-bench.
BENCH_SCRIPT=growth.py exec "$(dirname "$0")/run.sh" "$@"
