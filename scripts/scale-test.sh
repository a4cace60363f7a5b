#!/usr/bin/env bash
# Loads big folders and a big file with the headless runner into new databases and reports the
# wall time and the peak memory of each load, and checks the row counts:
#   - 2,000 small .DAT files (24 hourly records and one row per header table each), SQLite;
#   - one .DAT file of 500,000 hourly records, each on an hour of its own, SQLite;
#   - a nationwide year: four quarters of 1,000 files x 3 units x 2,208 hours with all seven
#     hourly types (46 M records, 6.6 M rows and 2 GB a quarter), loaded as four hourly
#     batches into one database, then four quarterly ones, on SQLite and on a local PostgreSQL
#     server with its shipped durability settings: each quarter's time shows how a file's cost
#     grows with the database. NATIONWIDE_FILES=0 skips it, a smaller number shrinks it;
#     NATIONWIDE_QUARTERS=1 loads one quarter.
# Too slow for the test suite; run it after changes to the readers, writers or database layer.
#   scripts/scale-test.sh [BUILD_DIR]        (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
batch="$build/cli/tarnwick-batch"
[[ -x "$batch" ]] || { echo "$batch not found: build the tarnwick-batch target first" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time not found: scripts/install-deps.sh --tests" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'PYTHON'
import datetime, os, sys

work = sys.argv[1]

def place(fields):
    """A .DAT line with each (column, text) at its 1-based column, blanks in between."""
    line = bytearray()
    for column, text in fields:
        start = column - 1
        if len(line) < start + len(text):
            line.extend(b" " * (start + len(text) - len(line)))
        line[start:start + len(text)] = text.encode()
    return bytes(line)

# Each hourly type with the columns of its unit, date and hour and two of its values.
HOURLY = [
    ("200", 16, 22, [(24, "100.0"), (29, "  12.5")]),
    ("201", 16, 22, [(24, "  45.2"), (38, "100.0")]),
    ("202", 16, 22, [(24, "  10.5"), (32, "100.0")]),
    ("220", 16, 22, [(24, "100.0"), (29, "  123456.0")]),
    ("310", 10, 16, [(18, "  101.5"), (35, "  103.5")]),
    ("320", 13, 19, [(21, "100.0"), (36, " 0.450"), (48, "03")]),
    ("330", 10, 16, [(18, "    12.345"), (33, "    12.346")]),
]

def hourly_line(index, unit, day, hour):
    code, date_column, hour_column, values = HOURLY[index % len(HOURLY)]
    date = (datetime.date(2001, 1, 1) + datetime.timedelta(days=day)).strftime("%y%m%d")
    return place([(1, code), (4, unit), (date_column, date), (hour_column, "%02d" % hour)] + values)

def header_lines(facility):
    return [
        place([(1, "100"), (4, "%06d" % facility), (10, "1"), (11, "2001")]),
        place([(1, "301"), (4, "1"), (10, "010331"), (16, "12.5")]),
        place([(1, "587"), (4, "1"), (10, "PNG"), (13, "19950101"), (29, "Y")]),
    ]

many = os.path.join(work, "many")
os.makedirs(many)
for facility in range(1, 2001):
    lines = header_lines(facility) + [hourly_line(hour, "1", 73, hour) for hour in range(24)]
    with open(os.path.join(many, "F%04d.DAT" % facility), "wb") as out:
        out.write(b"\r\n".join(lines) + b"\r\n")

big = os.path.join(work, "big")
os.makedirs(big)
with open(os.path.join(big, "BIG.DAT"), "wb") as out:
    out.write(header_lines(9999)[0] + b"\r\n")
    # 125 units x 4,000 hours: every record has a key of its own.
    for record in range(500000):
        unit, slot = divmod(record, 4000)
        day, hour = divmod(slot, 24)
        out.write(hourly_line(record, "U%03d" % unit, day, hour) + b"\r\n")
PYTHON

# Runs the runner under /usr/bin/time and prints one line of figures; leaves the wall time in
# seconds in $seconds.
measure() {
    local label="$1" command="$2" database="$3" folder="$4"
    if ! /usr/bin/time -v -o "$work/time" "$batch" "$command" "$database" "$folder" \
        >"$work/out" 2>"$work/err"; then
        echo "$label: the runner failed" >&2
        cat "$work/err" >&2
        exit 1
    fi
    local wall rss
    wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time")
    rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time")
    seconds=$(echo "$wall" | awk -F: '{s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s}')
    printf '%-48s wall %8s   peak memory %4d MB\n' "$label" "$wall" $((rss / 1024))
}

# Checks one of the counts the runner prints, e.g. "Hourly Records: 48000".
expect_count() {
    local database="$1" caption="$2" expected="$3" actual
    actual=$("$batch" counts "$database" | awk -F': ' -v caption="$caption" '$1 == caption {print $2}')
    if [[ "$actual" != "$expected" ]]; then
        echo "$caption $actual, expected $expected" >&2
        exit 1
    fi
    echo "  $caption $actual"
}

echo "== 2,000 files of 24 hourly records"
"$batch" init "$work/many.db" >/dev/null
measure "hourly, 2,000 files" hourly "$work/many.db" "$work/many/"
measure "quarterly, 2,000 files" quarterly "$work/many.db" "$work/many/"
expect_count "$work/many.db" "Hourly Records" 48000
expect_count "$work/many.db" "Facilities records" 2000
expect_count "$work/many.db" "Quarterly Records" 2000

echo "== One file of 500,000 hourly records"
"$batch" init "$work/big.db" >/dev/null
measure "hourly, one file of 500,000 records" hourly "$work/big.db" "$work/big/"
expect_count "$work/big.db" "Hourly Records" 500000
nationwide_files=${NATIONWIDE_FILES:-1000}
quarters=${NATIONWIDE_QUARTERS:-4}
# Loads the year's quarters into `database` (an engine's name first), hourly then quarterly.
load_year() {
    local engine="$1" database="$2" first="" total=0 q
    "$batch" init "$database" >/dev/null
    for q in $(seq 1 "$quarters"); do
        measure "hourly, quarter $q, $engine" hourly "$database" "$work/nation/q$q/dat/"
        total=$(awk -v a="$total" -v b="$seconds" 'BEGIN {print a + b}')
        [[ -n "$first" ]] || first=$seconds
    done
    echo "  quarter $quarters / quarter 1: $(awk -v a="$seconds" -v b="$first" 'BEGIN {printf "%.2f", a / b}')"
    for q in $(seq 1 "$quarters"); do
        measure "quarterly, quarter $q, $engine" quarterly "$database" "$work/nation/q$q/dat/"
        total=$(awk -v a="$total" -v b="$seconds" 'BEGIN {print a + b}')
    done
    echo "  the year on $engine: $total s"
    expect_count "$database" "Hourly Records" $((nationwide_files * 3 * 2208 * quarters))
}
if [[ "$nationwide_files" -gt 0 ]]; then
    echo "== A nationwide year: $quarters quarters of $nationwide_files files x 3 units x 2,208 hours"
    for q in $(seq 1 "$quarters"); do
        # Quarters of 92 days one after the other, each with its own period in its "100" lines.
        python3 "$root/bench/generate_corpus.py" "$work/nation/q$q" --files "$nationwide_files" \
            --units 3 --hours 2208 --no-reference --suffix "Q$q" --period "${q}2001" \
            --start "$(date -d "2001-01-01 + $(((q - 1) * 92)) days" +%F)" >/dev/null
    done
    load_year SQLite "$work/nation.db"
    rm -f "$work/nation.db"

    # Beside the work folder, not in it: the server runs as postgres and must reach its folder.
    pg_dir="/tmp/tarnwick-scale-pg-$$"
    pg_port=5451
    "$root/scripts/pg-test-server.sh" start-durable "$pg_dir" "$pg_port"
    trap '"$root/scripts/pg-test-server.sh" stop "$pg_dir" "$pg_port"; rm -rf "$work"' EXIT
    load_year PostgreSQL "postgresql:///postgres?host=$pg_dir/socket&port=$pg_port&user=postgres"
fi
echo "== Done"
