#!/usr/bin/env bash
# Sets up a fresh machine, builds, creates an empty Sources.db here if there is none, and starts
# Tarnwick. Without a display, runs it under Xvfb (see the README to look at it).
set -euo pipefail
here="$(pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
BUILD_DIR="$root/build" "$root/scripts/build.sh" -DTARNWICK_TESTS=OFF
if [[ ! -e "$here/Sources.db" ]]; then
    "$root/build/cli/tarnwick-batch" init "$here/Sources.db"
fi
cd "$here"
if [[ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
    "$root/scripts/install-deps.sh" --tests
    echo "No display: starting Tarnwick under Xvfb."
    exec xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$root/build/gui/tarnwick"
fi
exec "$root/build/gui/tarnwick"
