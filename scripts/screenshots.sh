#!/bin/sh
# Builds the screenshot tour and runs it under a virtual 1024x768 screen at 96 dpi, saving
# pictures of the main window (at start, with a database open, during a batch), of the folder
# box with its Browse button, of the About box, and of the Hourly Chart (whole and zoomed in)
# and Data Summary (1,000 pixels wide) windows over the samples.
# Usage: scripts/screenshots.sh [BUILD_FOLDER]   (default: build)
set -eu
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-"$source_dir/build"}
output_dir="$build_dir/screenshots"

cmake -S "$source_dir" -B "$build_dir" -DTARNWICK_TESTS=ON >/dev/null
cmake --build "$build_dir" --target tarnwick_screenshots -j2
mkdir -p "$output_dir"
QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1 QT_FONT_DPI=96 \
    xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
    "$build_dir/tools/tarnwick_screenshots" "$output_dir"
