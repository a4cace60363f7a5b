#!/usr/bin/env python3
"""Loads a generated hourly corpus with tarnwick-batch and, as the reference, with the engines'
own shells running equivalent plain SQL, then prints throughput and peak memory of both."""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
TIME = "/usr/bin/time"

VALUE_COLUMNS = [
    "SO2_PCT_MONITOR_DATA_AVAIL", "SO2_AVG_PPM_PER_HOUR", "SO2_AVG_PPM_PER_HOUR_ADJ",
    "NOX_AVG_PPM_PER_HOUR", "NOX_AVG_PPM_PER_HOUR_ADJ", "NOX_PCT_MONITOR_DATA_AVAIL",
    "CO2_AVG_PCT_CONC_PER_HOUR", "CO2_PCT_MONITOR_DATA_AVAIL", "VOL_FLOW_PCT_DATA_AVAIL",
    "VOL_FLOW_AVG_STD_3FT_PER_HOUR", "VOL_FLOW_AVG_STD_3FT_HOUR_ADJ", "SO2_MASS_LB_HOUR",
    "SO2_MASS_LB_HOUR_ADJ", "SO2_MASS_LB_HOUR_TOTAL", "NOX_PCT_DATA_AVAILABLE",
    "NOX_AVG_LB_PER_MMBTU", "NOX_AVG_LB_PER_MMBTU_ADJ", "NOX_OPERATING_LOAD_RANGE",
    "CO2_MASS_TON_HOUR", "CO2_MASS_TON_HOUR_TOTAL",
]

# One line that sums up the EMISSIONS table, to check both loads stored the same rows.
DIGEST_QUERY = (
    "SELECT count(*), sum(FACILITY_ID), sum(DATA_HOUR), min(DATA_DATE), max(DATA_DATE), "
    + ", ".join(f"count({c}), round(CAST(sum({c}) AS numeric), 2)" for c in VALUE_COLUMNS)
    + " FROM EMISSIONS;")


def run(command, log):
    with open(log, "a") as out:
        out.write("$ " + " ".join(command) + "\n")
        out.flush()
        subprocess.run(command, check=True, stdout=out, stderr=out)


def timed(command, log):
    """Runs a command; returns its wall time in seconds and peak resident memory in KiB."""
    with open(log, "a") as out:
        out.write("$ " + " ".join(command) + "\n")
        out.flush()
        if os.access(TIME, os.X_OK):
            report = log + ".time"
            start = time.perf_counter()
            subprocess.run([TIME, "-v", "-o", report] + command, check=True, stdout=out,
                           stderr=out)
            seconds = time.perf_counter() - start
            with open(report) as lines:
                peak = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)",
                                     lines.read()).group(1))
            return seconds, peak
        # Without /usr/bin/time: the kernel's high-water mark of the child, as in VmHWM.
        start = time.perf_counter()
        child = subprocess.Popen(command, stdout=out, stderr=out)
        _, status, usage = os.wait4(child.pid, 0)
        seconds = time.perf_counter() - start
        if os.waitstatus_to_exitcode(status) != 0:
            raise subprocess.CalledProcessError(os.waitstatus_to_exitcode(status), command)
        return seconds, usage.ru_maxrss


def ensure_corpus(args):
    wanted = {"files": args.files, "units": args.units, "hours": args.hours}
    info_path = os.path.join(args.out, "corpus.json")
    if os.path.exists(info_path):
        with open(info_path) as info:
            summary = json.load(info)
        if summary.get("params") == wanted:
            return summary
    shutil.rmtree(os.path.join(args.out, "dat"), ignore_errors=True)
    print(f"generating corpus: {args.files} files x {args.units} units x {args.hours} hours",
          file=sys.stderr)
    subprocess.run([sys.executable, os.path.join(HERE, "generate_corpus.py"), args.out,
                    "--files", str(args.files), "--units", str(args.units),
                    "--hours", str(args.hours)], check=True, stdout=subprocess.DEVNULL)
    with open(info_path) as info:
        summary = json.load(info)
    summary["params"] = wanted
    with open(info_path, "w") as info:
        json.dump(summary, info)
    return summary


def zip_corpus(args):
    """The corpus with each .DAT file zipped on its own, as EPA publishes them; kept with it."""
    dat = os.path.join(args.out, "dat")
    zipped = os.path.join(args.out, "zip")
    names = sorted(os.listdir(dat))
    if sorted(os.listdir(zipped) if os.path.isdir(zipped) else []) == \
            [name[:-4] + ".zip" for name in names]:
        return zipped + "/"
    shutil.rmtree(zipped, ignore_errors=True)
    os.makedirs(zipped)
    for name in names:
        with zipfile.ZipFile(os.path.join(zipped, name[:-4] + ".zip"), "w",
                             zipfile.ZIP_DEFLATED) as archive:
            archive.write(os.path.join(dat, name), name)
    # A file changed within the last 2 s is compared by its bytes before the read-ahead and
    # --changed-only trust it, as a coarse clock could hide a later change; a downloaded
    # archive is older than that.
    time.sleep(2.5)
    return zipped + "/"


def archive_rows(args, engine, load):
    """The zipped corpus into a fresh database, then each corpus again with --changed-only over
    the database it was loaded into. `load(database_kind, folder, *options)` runs
    tarnwick-batch hourly."""
    zipped = zip_corpus(args)
    rows = [(engine, "tarnwick-batch, zips", *load("zipped", zipped))]
    rows.append((engine, "tarnwick-batch --changed-only", *load("tarnwick", None,
                                                                "--changed-only")))
    rows.append((engine, "tarnwick-batch --changed-only, zips", *load("zipped", zipped, "--changed-only")))
    return rows


def archive_lines(rows, engine):
    seconds = {loader: s for e, loader, s, _ in rows if e == engine}
    plain = seconds["tarnwick-batch"]
    zips = seconds["tarnwick-batch, zips"] / plain
    again = seconds["tarnwick-batch --changed-only"] / plain
    again_zips = seconds["tarnwick-batch --changed-only, zips"] / seconds["tarnwick-batch, zips"]
    verdict = lambda ok: "met" if ok else "NOT met"
    return [f"{engine}: zipped/unzipped load time = {zips:.3f} (target <= 1.15: "
            f"{verdict(zips <= 1.15)})",
            f"{engine}: --changed-only rerun/first load time = {again:.3f} unzipped, "
            f"{again_zips:.3f} zipped (target < 0.05: {verdict(max(again, again_zips) < 0.05)})"]


def sqlite_digest(database):
    return subprocess.run(["sqlite3", database, DIGEST_QUERY], check=True,
                          capture_output=True, text=True).stdout.strip()


def bench_sqlite(args, corpus, log):
    dat = os.path.join(args.out, "dat") + "/"
    results = []
    tarnwick_db = os.path.join(args.out, "tarnwick.db")
    reference_db = os.path.join(args.out, "reference.db")
    for path in (tarnwick_db, reference_db):
        for suffix in ("", "-journal", "-wal", "-shm"):
            if os.path.exists(path + suffix):
                os.remove(path + suffix)
        run([args.batch, "init", path], log)
    results.append(("SQLite", "tarnwick-batch", *timed([args.batch, "hourly", tarnwick_db, dat],
                                                         log)))
    zipped_db = os.path.join(args.out, "zipped.db")
    if os.path.exists(zipped_db):
        os.remove(zipped_db)
    run([args.batch, "init", zipped_db], log)
    databases = {"tarnwick": tarnwick_db, "zipped": zipped_db}
    results += archive_rows(args, "SQLite", lambda kind, folder, *options: timed(
        [args.batch, "hourly", databases[kind], folder or dat, *options], log))
    zipped_same = sqlite_digest(zipped_db) == sqlite_digest(tarnwick_db)
    same = True
    if not args.no_reference:
        reference_sql = os.path.join(args.out, "reference-sqlite.sql")
        results.append(("SQLite", "sqlite3 (reference)",
                        *timed(["sqlite3", "-bail", reference_db, f".read {reference_sql}"], log)))
        same = sqlite_digest(tarnwick_db) == sqlite_digest(reference_db)
    # The engine's own bulk limit: the final rows as CSV into an empty table.
    rows_csv = os.path.join(args.out, "emissions.csv")
    with open(rows_csv, "w") as out:
        subprocess.run(["sqlite3", "-csv", tarnwick_db, "SELECT * FROM EMISSIONS"], check=True,
                       stdout=out)
    limit_db = os.path.join(args.out, "limit.db")
    if os.path.exists(limit_db):
        os.remove(limit_db)
    run([args.batch, "init", limit_db], log)
    results.append(("SQLite", "sqlite3 .import (limit)",
                    *timed(["sqlite3", limit_db, ".mode csv", f".import {rows_csv} EMISSIONS"],
                           log)))
    return results, same and zipped_same, export_line(args, "SQLite", tarnwick_db, log)


def export_line(args, engine, database, log):
    """Exports the loaded EMISSIONS as CSV: its time and peak memory, which must not grow with
    the table."""
    seconds, peak = timed([args.batch, "export", database, "EMISSIONS", "--out",
                           os.path.join(args.out, "export.csv")], log)
    verdict = "met" if peak / 1024 < 64 else "NOT met"
    return (f"{engine}: export of EMISSIONS {seconds:.2f} s, peak RSS {peak / 1024:.1f} MB "
            f"(target < 64 MB: {verdict})")


def psql(args, socket, database, *extra):
    return ["psql", "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", socket, "-p", str(args.pg_port),
            "-U", "postgres", "-d", database, *extra]


def bench_postgres(args, corpus, log):
    server = args.pg_dir
    script = os.path.join(ROOT, "scripts", "pg-test-server.sh")
    run([script, "start-durable", server, str(args.pg_port)], log)
    socket = os.path.join(server, "socket")
    try:
        uris = {}
        for name in ("tarnwick", "reference", "bulk_limit", "zipped"):
            run(psql(args, socket, "postgres", "-c", f"CREATE DATABASE {name}"), log)
            uris[name] = (f"postgresql:///{name}?host={socket}&port={args.pg_port}"
                          "&user=postgres")
            run([args.batch, "init", uris[name]], log)
        dat = os.path.join(args.out, "dat") + "/"
        results = [("PostgreSQL", "tarnwick-batch",
                    *timed([args.batch, "hourly", uris["tarnwick"], dat], log))]
        results += archive_rows(args, "PostgreSQL", lambda kind, folder, *options: timed(
            [args.batch, "hourly", uris[kind], folder or dat, *options], log))
        loaded = ["tarnwick", "zipped"]
        if not args.no_reference:
            reference_sql = os.path.join(args.out, "reference-postgresql.sql")
            results.append(("PostgreSQL", "psql (reference)",
                            *timed(psql(args, socket, "reference", "-f", reference_sql), log)))
            loaded.append("reference")
        digests = {subprocess.run(psql(args, socket, name, "-A", "-t", "-c", DIGEST_QUERY),
                                  check=True, capture_output=True, text=True).stdout.strip()
                   for name in loaded}
        rows_csv = os.path.join(args.out, "emissions-pg.csv")
        run(psql(args, socket, "tarnwick", "-c",
                 f"\\copy (SELECT * FROM emissions) TO '{rows_csv}' WITH (FORMAT csv)"), log)
        results.append(("PostgreSQL", "psql \\copy (limit)",
                        *timed(psql(args, socket, "bulk_limit", "-c",
                                    f"\\copy emissions FROM '{rows_csv}' WITH (FORMAT csv)"),
                               log)))
        return results, len(digests) == 1, export_line(args, "PostgreSQL",
                                                              uris["tarnwick"], log)
    finally:
        run([script, "stop", server, str(args.pg_port)], log)


def print_table(corpus, rows):
    megabytes = corpus["dat_bytes"] / 1e6
    print(f"corpus: {corpus['files']} files, {corpus['records']} hourly records, "
          f"{corpus['statements']} statements, {megabytes:.1f} MB of .DAT input")
    header = (f"{'engine':<11} {'loader':<35} {'seconds':>8} {'records/s':>10} "
              f"{'statements/s':>13} {'input MB/s':>11} {'peak RSS MB':>12}")
    print(header)
    print("-" * len(header))
    for engine, loader, seconds, peak in rows:
        print(f"{engine:<11} {loader:<35} {seconds:8.2f} {corpus['records'] / seconds:10.0f} "
              f"{corpus['statements'] / seconds:13.0f} {megabytes / seconds:11.2f} "
              f"{peak / 1024:12.1f}")


def ratio_lines(rows, engine, reference_target, limit_target):
    """Tarnwick against the reference load (records/s) and against the engine's bulk limit."""
    seconds = {loader: s for e, loader, s, _ in rows
               if e == engine and not loader.startswith("tarnwick-batch")}
    ours = next(s for e, loader, s, _ in rows if e == engine and loader == "tarnwick-batch")
    lines = []
    for loader, theirs in seconds.items():
        limit = "limit" in loader
        target = limit_target if limit else reference_target
        ratio = theirs / ours  # the same records, so the time ratio is the records/s ratio
        met = "met" if ratio >= target else "NOT met"
        what = "bulk limit" if limit else "reference"
        lines.append(f"{engine}: tarnwick/{what} = {ratio:.2f} (target >= {target}: {met})")
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--batch", required=True, help="the tarnwick-batch executable")
    parser.add_argument("--out", default=os.path.join(HERE, "out"))
    parser.add_argument("--files", type=int, default=20)
    parser.add_argument("--units", type=int, default=4)
    parser.add_argument("--hours", type=int, default=2208)
    parser.add_argument("--no-postgres", action="store_true")
    parser.add_argument("--no-reference", action="store_true",
                        help="skip the shells' plain-SQL loads (PostgreSQL's takes minutes)")
    parser.add_argument("--pg-dir", default="/tmp/tarnwick-bench-pg")
    parser.add_argument("--pg-port", type=int, default=5449)
    args = parser.parse_args()
    args.batch = os.path.abspath(args.batch)
    args.out = os.path.abspath(args.out)
    os.makedirs(args.out, exist_ok=True)
    log = os.path.join(args.out, "bench.log")
    open(log, "w").close()

    corpus = ensure_corpus(args)
    zip_corpus(args)
    rows, same, export = bench_sqlite(args, corpus, log)
    checks = [f"SQLite: the loads stored the same EMISSIONS rows: {'yes' if same else 'NO'}",
              export]
    if not args.no_postgres:
        pg_rows, pg_same, pg_export = bench_postgres(args, corpus, log)
        rows += pg_rows
        checks.append("PostgreSQL: the loads stored the same EMISSIONS rows: "
                      f"{'yes' if pg_same else 'NO'}")
        checks.append(pg_export)
    print_table(corpus, rows)
    for line in ratio_lines(rows, "SQLite", 5.0, 0.5) + archive_lines(rows, "SQLite"):
        print(line)
    if not args.no_postgres:
        for line in ratio_lines(rows, "PostgreSQL", 15.0, 0.5) + archive_lines(rows, "PostgreSQL"):
            print(line)
    print(f"load average (1, 5, 15 min) at the end: {' '.join(f'{x:.2f}' for x in os.getloadavg())}")
    for check in checks:
        print(check)
    print(f"log: {log}")


if __name__ == "__main__":
    main()
