#!/usr/bin/env python3
"""Writes a synthetic corpus of hourly EDR ".DAT" files and, from the same records, the plain
SQL a reference load runs (INSERT OR IGNORE / ON CONFLICT DO NOTHING, then UPDATE, in the
order Tarnwick writes them, inside one transaction)."""

import argparse
import datetime
import json
import os
import random

WRITER_ORDER = ["200", "201", "202", "220", "310", "320", "330"]

# Per type: the EMISSIONS columns filled, in the order of the values below.
COLUMNS = {
    "200": ["SO2_PCT_MONITOR_DATA_AVAIL", "SO2_AVG_PPM_PER_HOUR", "SO2_AVG_PPM_PER_HOUR_ADJ"],
    "201": ["NOX_AVG_PPM_PER_HOUR", "NOX_AVG_PPM_PER_HOUR_ADJ", "NOX_PCT_MONITOR_DATA_AVAIL"],
    "202": ["CO2_AVG_PCT_CONC_PER_HOUR", "CO2_PCT_MONITOR_DATA_AVAIL"],
    "220": ["VOL_FLOW_PCT_DATA_AVAIL", "VOL_FLOW_AVG_STD_3FT_PER_HOUR",
            "VOL_FLOW_AVG_STD_3FT_HOUR_ADJ"],
    "310": ["SO2_MASS_LB_HOUR", "SO2_MASS_LB_HOUR_ADJ", "SO2_MASS_LB_HOUR_TOTAL"],
    "320": ["NOX_PCT_DATA_AVAILABLE", "NOX_AVG_LB_PER_MMBTU", "NOX_AVG_LB_PER_MMBTU_ADJ",
            "NOX_OPERATING_LOAD_RANGE"],
    "330": ["CO2_MASS_TON_HOUR", "CO2_MASS_TON_HOUR_TOTAL"],
}

# Per type: (column, width) of unit, date, hour, then of each value in COLUMNS order.
LAYOUT = {
    "200": [(4, 6), (16, 6), (22, 2), (24, 5), (29, 6), (35, 6)],
    "201": [(4, 6), (16, 6), (22, 2), (24, 6), (32, 6), (38, 5)],
    "202": [(4, 6), (16, 6), (22, 2), (24, 6), (32, 5)],
    "220": [(4, 6), (16, 6), (22, 2), (24, 5), (29, 10), (39, 10)],
    "310": [(4, 6), (10, 6), (16, 2), (18, 7), (25, 7), (35, 7)],
    "320": [(4, 6), (13, 6), (19, 2), (21, 5), (36, 6), (42, 6), (48, 2)],
    "330": [(4, 6), (10, 6), (16, 2), (18, 10), (33, 10)],
}

# Columns the readers skip still hold something in real files.
FILLER = {
    "200": [(10, "CS001 ")],
    "201": [(10, "CS001 "), (30, " A")],
    "202": [(10, "CS001 "), (30, " W")],
    "220": [(10, "CS001 ")],
    "310": [(32, "  1")],
    "320": [(10, "001"), (26, "   4512.3")],
    "330": [(28, "    1")],
}

HEADER_LINES = [
    "102{name:<40}{state}",
    "301  Q3 2001 SUMMARY     1234.5     6789.0",
    "504{unit:<6}CS001 0101019301",
    "505{unit:<6}SO2 A01 CEMS",
    "506{unit:<6}NOX A02 CEMS",
    "587{unit:<6}C  PNG",
]


def place(fields):
    """A line with each text at its 1-based column, blanks in between."""
    line = []
    for column, text in fields:
        start = column - 1
        if len(line) < start + len(text):
            line.extend(" " * (start + len(text) - len(line)))
        line[start:start + len(text)] = text
    return "".join(line).rstrip()


def hour_values(kind, rng):
    """The value texts of one record, already at their widths."""
    if kind == "200":
        so2 = rng.uniform(5, 400)
        return ["100.0", f"{so2:6.1f}", f"{so2 * 1.01:6.1f}"]
    if kind == "201":
        nox = rng.uniform(10, 120)
        return [f"{nox:6.1f}", f"{nox * 1.02:6.1f}", f"{rng.uniform(90, 100):5.1f}"]
    if kind == "202":
        return [f"{rng.uniform(3, 14):6.1f}", "100.0"]
    if kind == "220":
        flow = rng.uniform(2e5, 9e6)
        return ["100.0", f"{flow:10.0f}", f"{flow * 1.01:10.0f}"]
    if kind == "310":
        mass = rng.uniform(10, 3000)
        return [f"{mass:7.1f}", f"{mass * 1.01:7.1f}", f"{mass * 2.01:7.1f}"]
    if kind == "320":
        rate = rng.uniform(0.1, 0.9)
        return ["100.0", f"{rate:6.3f}", f"{rate * 1.01:6.3f}", f"{rng.randint(1, 10):02d}"]
    mass = rng.uniform(10, 900)
    return [f"{mass:10.1f}", f"{mass * 2:10.1f}"]


def sql_value(column, text):
    """The typed literal the database layer stores for a value text."""
    number = float(text)
    if column == "NOX_OPERATING_LOAD_RANGE":
        return str(int(number))
    return repr(number)


def statements(kind, facility, record, dialect):
    unit, day, hour, values = record
    columns = COLUMNS[kind]
    key = f"{facility}, '{unit}', '{day.isoformat()}', {hour}"
    literals = [sql_value(c, v) for c, v in zip(columns, values)]
    insert = (f"INSERT {'OR IGNORE ' if dialect == 'sqlite' else ''}INTO EMISSIONS "
              f"(FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, {', '.join(columns)}) "
              f"VALUES ({key}, {', '.join(literals)})"
              f"{' ON CONFLICT DO NOTHING' if dialect == 'postgresql' else ''};")
    if kind == "200":
        return [insert]
    sets = ", ".join(f"{c} = {v}" for c, v in zip(columns, literals))
    update = (f"UPDATE EMISSIONS SET {sets} WHERE FACILITY_ID = {facility} AND "
              f"UNIT_ID = '{unit}' AND DATA_DATE = '{day.isoformat()}' AND DATA_HOUR = {hour};")
    return [insert, update]


def file_records(rng, units, hours, missing_so2, start):
    """Per type, the (unit, day, hour, values) records of one file, in file order."""
    records = {kind: [] for kind in WRITER_ORDER}
    for unit in units:
        for index in range(hours):
            day = start + datetime.timedelta(days=index // 24)
            hour = index % 24
            for kind in WRITER_ORDER:
                if kind == "200" and rng.random() < missing_so2:
                    continue
                records[kind].append((unit, day, hour, hour_values(kind, rng)))
    return records


def record_line(kind, record):
    unit, day, hour, values = record
    texts = [unit, day.strftime("%y%m%d"), f"{hour:02d}"] + values
    fields = [(column, text) for (column, _), text in zip(LAYOUT[kind], texts)]
    return place([(1, kind)] + FILLER[kind] + fields)


def write_file(path, facility, units, records, period):
    with open(path, "w", newline="") as out:
        out.write(place([(1, "100"), (4, f"{facility:6d}"), (10, period)]) + "\r\n")
        out.write(HEADER_LINES[0].format(name=f"GENERATING STATION {facility}",
                                         state="OH") + "\r\n")
        out.write(HEADER_LINES[1] + "\r\n")
        for unit in units:
            for header in HEADER_LINES[2:]:
                out.write(header.format(unit=unit) + "\r\n")
        # Real files group an hour's records of one unit together.
        by_hour = {}
        for kind in WRITER_ORDER:
            for record in records[kind]:
                by_hour.setdefault(record[:3], []).append((kind, record))
        for hour_records in by_hour.values():
            for kind, record in hour_records:
                out.write(record_line(kind, record) + "\r\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("folder")
    parser.add_argument("--files", type=int, default=20)
    parser.add_argument("--units", type=int, default=4)
    parser.add_argument("--hours", type=int, default=2208)
    parser.add_argument("--missing-so2", type=float, default=0.04,
                        help="share of hours without a 200 record")
    parser.add_argument("--seed", type=int, default=2001)
    parser.add_argument("--start", default="2001-07-01", help="the first day, YYYY-MM-DD")
    parser.add_argument("--suffix", default="Q3", help="the end of each file's name")
    parser.add_argument("--period", default="20013",
                        help="columns 10-14 of each file's \"100\" line: the quarter, then the year")
    parser.add_argument("--no-reference", action="store_true",
                        help="write the .DAT files only, not the reference SQL")
    args = parser.parse_args()

    dat_folder = os.path.join(args.folder, "dat")
    os.makedirs(dat_folder, exist_ok=True)
    rng = random.Random(args.seed)
    units = ["1", "2", "CT3", "5A"][:args.units] + [f"U{n}" for n in range(5, args.units + 1)]
    summary = {"files": args.files, "records": 0, "statements": 0, "dat_bytes": 0}
    sql = {} if args.no_reference else {
        dialect: open(os.path.join(args.folder, f"reference-{dialect}.sql"), "w")
        for dialect in ("sqlite", "postgresql")}
    for out in sql.values():
        out.write("BEGIN;\n")
    for number in range(1, args.files + 1):
        facility = 1000 + 37 * number
        records = file_records(rng, units, args.hours, args.missing_so2,
                               datetime.date.fromisoformat(args.start))
        path = os.path.join(dat_folder,
                            f"F{number:0{max(3, len(str(args.files)))}d}{args.suffix}.DAT")
        write_file(path, facility, units, records, args.period)
        summary["dat_bytes"] += os.path.getsize(path)
        for kind in WRITER_ORDER:
            for record in records[kind]:
                summary["records"] += 1
                for dialect, out in sql.items():
                    texts = statements(kind, facility, record, dialect)
                    out.write("\n".join(texts) + "\n")
                summary["statements"] += 1 if kind == "200" else 2
    for out in sql.values():
        out.write("COMMIT;\n")
        out.close()
    with open(os.path.join(args.folder, "corpus.json"), "w") as out:
        json.dump(summary, out)
    print(json.dumps(summary))


if __name__ == "__main__":
    main()
