#!/usr/bin/env python3
"""Loads 40 small hourly files (1 unit x 24 hours each) into databases that already hold 0, 5 and
20 million EMISSIONS rows of other facilities, and prints the time per file at each size: a
file should cost the same however large the database is."""

import argparse
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
FILES = 40
# Prefilled facilities interleave with the corpus's (1000 + 37 n), so its rows land inside the
# key range rather than at its end.
PREFILL_FACILITIES = 1000

SQLITE_PREFILL = """
WITH RECURSIVE f(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM f WHERE i < {facilities}),
h(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM h WHERE n < {hours} - 1)
INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, SO2_MASS_LB_HOUR,
                       NOX_AVG_LB_PER_MMBTU)
SELECT 1001 + 37 * i, '1', date('1995-01-01', '+' || (n / 24) || ' days'), n % 24, 101.5, 0.45
FROM f, h;
"""

POSTGRES_PREFILL = """
INSERT INTO emissions (facility_id, unit_id, data_date, data_hour, so2_mass_lb_hour,
                       nox_avg_lb_per_mmbtu)
SELECT 1001 + 37 * i, '1', DATE '1995-01-01' + n / 24, n % 24, 101.5, 0.45
FROM generate_series(1, {facilities}) AS i, generate_series(0, {hours} - 1) AS n
"""


def load(batch, database, folder):
    """Runs the hourly batch; returns the seconds per file between the first file's start and
    the last one's, and the wall time of the whole run."""
    started = time.perf_counter()
    child = subprocess.Popen([batch, "hourly", database, folder], stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE, text=True)
    stamps = []
    for line in child.stderr:
        if line.startswith("Processing .DAT file"):
            stamps.append(time.perf_counter())
    if child.wait() != 0:
        sys.exit(f"the hourly batch into {database} failed")
    wall = time.perf_counter() - started
    return (stamps[-1] - stamps[0]) / (len(stamps) - 1), wall


def sqlite_database(batch, out, rows):
    path = os.path.join(out, f"growth-{rows}.db")
    if not os.path.exists(path):
        subprocess.run([batch, "init", path + ".new"], check=True, stdout=subprocess.DEVNULL)
        if rows:
            sql = SQLITE_PREFILL.format(facilities=PREFILL_FACILITIES,
                                        hours=rows // PREFILL_FACILITIES)
            subprocess.run(["sqlite3", path + ".new", sql], check=True)
        os.replace(path + ".new", path)
    # The corpus's rows of an earlier run go, so every run adds the same rows.
    subprocess.run(["sqlite3", path, "DELETE FROM EMISSIONS WHERE (FACILITY_ID - 1000) % 37 = 0"],
                   check=True)
    return path


def postgres_database(batch, uri_of, psql, rows, made):
    name = f"growth_{rows}"
    if name not in made:
        subprocess.run(psql + ["-d", "postgres", "-c", f"DROP DATABASE IF EXISTS {name}",
                               "-c", f"CREATE DATABASE {name}"], check=True,
                       stdout=subprocess.DEVNULL)
        subprocess.run([batch, "init", uri_of(name)], check=True, stdout=subprocess.DEVNULL)
        if rows:
            sql = POSTGRES_PREFILL.format(facilities=PREFILL_FACILITIES,
                                          hours=rows // PREFILL_FACILITIES)
            subprocess.run(psql + ["-d", name, "-c", sql, "-c", "VACUUM ANALYZE emissions"],
                           check=True, stdout=subprocess.DEVNULL)
        made.add(name)
    subprocess.run(psql + ["-d", name, "-c",
                           "DELETE FROM emissions WHERE (facility_id - 1000) % 37 = 0"],
                   check=True, stdout=subprocess.DEVNULL)
    return uri_of(name)


def report(engine, results):
    base = results[0][1]
    for rows, per_file, wall in results:
        print(f"{engine:<11} {rows:>12,} rows   {per_file * 1000:8.1f} ms per file   "
              f"{per_file / base:5.2f} x   (run {wall:6.2f} s)")
    ratio = results[-1][1] / base
    print(f"{engine}: time per file at {results[-1][0]:,} rows / at 0 = {ratio:.2f} "
          f"(target <= 1.5: {'met' if ratio <= 1.5 else 'NOT met'})")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--batch", required=True, help="the tarnwick-batch executable")
    parser.add_argument("--out", default=os.path.join(HERE, "out-growth"))
    parser.add_argument("--sizes", default="0,5000000,20000000")
    parser.add_argument("--runs", type=int, default=3, help="loads per size; the best counts")
    parser.add_argument("--no-postgres", action="store_true")
    parser.add_argument("--pg-dir", default="/tmp/tarnwick-growth-pg")
    parser.add_argument("--pg-port", type=int, default=5448)
    args = parser.parse_args()
    batch = os.path.abspath(args.batch)
    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)
    sizes = [int(size) for size in args.sizes.split(",")]

    folder = os.path.join(out, "corpus")
    if not os.path.isdir(os.path.join(folder, "dat")):
        subprocess.run([sys.executable, os.path.join(HERE, "generate_corpus.py"), folder,
                        "--files", str(FILES), "--units", "1", "--hours", "24",
                        "--no-reference"], check=True, stdout=subprocess.DEVNULL)
    dat = os.path.join(folder, "dat") + "/"

    def best(database_for):
        results = []
        for rows in sizes:
            runs = [load(batch, database_for(rows), dat) for _ in range(args.runs)]
            per_file, wall = min(runs)
            results.append((rows, per_file, wall))
        return results

    report("SQLite", best(lambda rows: sqlite_database(batch, out, rows)))
    if args.no_postgres:
        return
    server = os.path.join(ROOT, "scripts", "pg-test-server.sh")
    subprocess.run([server, "start-durable", args.pg_dir, str(args.pg_port)], check=True,
                   stdout=subprocess.DEVNULL)
    try:
        socket = os.path.join(args.pg_dir, "socket")
        psql = ["psql", "-q", "-h", socket, "-p", str(args.pg_port), "-U", "postgres",
                "-v", "ON_ERROR_STOP=1"]
        made = set()
        report("PostgreSQL", best(lambda rows: postgres_database(
            batch, lambda name: f"postgresql:///{name}?host={socket}&port={args.pg_port}"
                                "&user=postgres", psql, rows, made)))
    finally:
        subprocess.run([server, "stop", args.pg_dir, str(args.pg_port)],
                       stdout=subprocess.DEVNULL)
        shutil.rmtree(args.pg_dir, ignore_errors=True)


if __name__ == "__main__":
    main()
