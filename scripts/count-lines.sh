#!/usr/bin/env bash
# Prints the lines of test code, of product code and their ratio: non-blank, non-comment lines of
# the tracked .cpp/.h files; tests are tests/, the product the library folders (chart, cli, core,
# dat, db, gui, quarterly, view).
#   count-lines.sh [--max R]    exits 1 when the ratio is above R
set -euo pipefail
max=""
if [[ $# -eq 2 && $1 == --max && $2 =~ ^[0-9]*\.?[0-9]+$ ]]; then
    max=$2
elif [[ $# -ne 0 ]]; then
    echo "usage: $0 [--max RATIO]" >&2
    exit 2
fi
cd "$(dirname "$0")/.."
exec python3 -c '
import os, re, subprocess, sys

def count(text):
    # Blank out block comments but keep their line breaks, then drop // comments.
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group().count("\n"), text, flags=re.S)
    return sum(1 for line in text.splitlines() if re.sub(r"//.*", "", line).strip())

product_areas = ("chart", "cli", "core", "dat", "db", "gui", "quarterly", "view")
tests = product = 0
for name in subprocess.check_output(["git", "ls-files", "-z"], text=True).split("\0"):
    area = name.split("/")[0]
    if not name.endswith((".cpp", ".h")) or not os.path.exists(name):
        continue
    if area == "tests" or area in product_areas:
        lines = count(open(name, errors="replace").read())
        if area == "tests":
            tests += lines
        else:
            product += lines
ratio = tests / product if product else 0
print(f"tests   {tests}\nproduct {product}\nratio   {ratio:.2f}")
sys.exit(1 if sys.argv[1] and ratio > float(sys.argv[1]) else 0)
' "$max"
