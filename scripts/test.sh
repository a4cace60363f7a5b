#!/usr/bin/env bash
# Sets up a fresh machine and runs every test: the suite, screenshots under Xvfb, the suite again
# under AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzz target for a short time.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/install-deps.sh --tests

echo "== Build and test"
BUILD_DIR=build-tests BUILD_TYPE=Debug scripts/build.sh
(cd build-tests && ctest --output-on-failure -j2)

echo "== Screenshots of the window and the About box under Xvfb"
scripts/screenshots.sh "$root/build-tests"
ls build-tests/screenshots

echo "== Build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
BUILD_DIR=build-asan BUILD_TYPE=Debug scripts/build.sh -DTARNWICK_SANITIZE=ON
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd build-asan && ctest --output-on-failure -j2)

echo "== Fuzzing"
scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
