#!/usr/bin/env python3
"""Writes the sample quarterly report files samples/000101.DAT, 000202.DAT and 000303.DAT.

The plants, units and readings are made up. Every field is placed by its columns, so the
files keep the fixed layout however the values change. Deterministic: the same files each run.

Usage: scripts/make-samples.py [output folder]   (default: the samples folder of the checkout)
"""

import datetime
import math
import pathlib
import random
import sys


class Record:
    """One fixed-column line: fields placed at 1-based columns, blanks in between."""

    def __init__(self, record_type):
        self.chars = list(record_type)

    def put(self, column, text):
        end = column - 1 + len(text)
        if len(self.chars) < end:
            self.chars.extend(" " * (end - len(self.chars)))
        self.chars[column - 1:end] = text
        return self

    def right(self, column, width, value, decimals=None):
        """A number right-justified in `width` columns starting at `column`."""
        text = f"{value:.{decimals}f}" if decimals is not None else str(value)
        if len(text) > width:
            raise ValueError(f"{text!r} does not fit {width} columns at {column}")
        return self.put(column, text.rjust(width))

    def left(self, column, width, text):
        if len(text) > width:
            raise ValueError(f"{text!r} does not fit {width} columns at {column}")
        return self.put(column, text.ljust(width))

    def line(self):
        return "".join(self.chars).rstrip()


def yymmdd(day):
    return day.strftime("%y%m%d")


def yyyymmdd(day):
    return day.strftime("%Y%m%d")


def facility_record(plant):
    return (Record("100").right(4, 6, f"{plant['id']:06d}")
            .put(10, str(plant["quarter"])).put(11, str(plant["year"]))
            .put(15, "2.1").line())


def dms(angle):
    degrees = int(angle)
    minutes_total = (angle - degrees) * 60
    minutes = int(minutes_total)
    seconds = round((minutes_total - minutes) * 60)
    if seconds == 60:
        minutes, seconds = minutes + 1, 0
    return degrees, minutes, seconds


def location_record(plant):
    lat_d, lat_m, lat_s = dms(plant["latitude"])
    lon_d, lon_m, lon_s = dms(plant["longitude"])
    record = (Record("102").left(4, 20, plant["name"]).left(24, 12, plant["epa_id"])
              .left(36, 10, plant["airs_id"]).left(46, 15, plant["state_id"])
              .left(61, 24, "ELECTRIC UTILITY    4911")
              .put(85, plant["state"]).put(87, plant["county"]))
    if plant["longitude_first"]:
        record.put(91, f"{lon_d:02d}{lon_m:02d}{lon_s:02d}{lat_d:03d}{lat_m:02d}{lat_s:02d}")
    else:
        record.put(91, f"{lat_d:02d}{lat_m:02d}{lat_s:02d}{lon_d:03d}{lon_m:02d}{lon_s:02d}")
    return record.line()


def unit_records(plant, unit):
    uid = unit["id"]
    lines = [
        Record("504").left(4, 6, uid).left(10, 3, unit["type"])
        .right(13, 7, unit["max_heat_input"], 1).put(20, unit["commercial_operation"])
        .put(28, "        ").right(36, 4, unit["stack_height"])
        .right(40, 5, plant["elevation"]).right(45, 4, unit["flue_area"])
        .right(49, 4, unit["monitor_area"]).line(),
        Record("505").left(4, 6, uid).left(10, 10, unit["program"]).put(22, "Q").line(),
        Record("506").left(4, 6, uid).left(10, 6, "").left(16, 5, unit["eia_boiler"])
        .left(21, 5, unit["eia_flue"]).put(26, str(plant["year"]))
        .right(37, 6, f"{plant['id']:06d}").line(),
        Record("535").left(4, 6, uid).put(10, "MW").right(12, 6, unit["max_load"])
        .put(18, "Y").line(),
        Record("536").left(4, 6, uid).right(10, 6, unit["max_load"] + 10)
        .right(16, 6, unit["min_load"]).line(),
        Record("587").left(4, 6, uid).left(10, 3, unit["fuel"]).put(13, unit["fuel_start"])
        .put(21, "        ").put(29, unit["startup_fuel"]).line(),
    ]
    return lines


class Hour:
    """The readings of one unit in one hour, drawn around the unit's typical values."""

    def __init__(self, unit, hour_of_day, rng):
        daily = 0.75 + 0.25 * math.sin((hour_of_day - 8) / 24 * 2 * math.pi)
        self.load = max(unit["min_load"], round(unit["max_load"] * daily * rng.uniform(0.95, 1.0)))
        share = self.load / unit["max_load"]
        self.co2 = round(unit["co2"] * rng.uniform(0.96, 1.04), 1)
        self.flow = round(unit["flow"] * share * rng.uniform(0.97, 1.03), -3)
        self.so2 = round(unit["so2"] * rng.uniform(0.9, 1.1), 1)
        self.nox_ppm = round(unit["nox_ppm"] * rng.uniform(0.9, 1.1), 1)
        self.nox_rate = round(unit["nox_rate"] * rng.uniform(0.92, 1.08), 3)
        # Mass rates from concentration and flow, with the usual 40 CFR 75 factors.
        self.so2_mass = round(1.660e-7 * self.so2 * self.flow, 1)
        self.co2_mass = round(5.7e-7 * self.co2 * self.flow, 1)
        self.heat_input = self.co2_mass * 2000 / unit["co2_lb_per_mmbtu"]


def hourly_records(unit, day, hour_of_day, readings):
    uid, date, hour = unit["id"], yymmdd(day), f"{hour_of_day:02d}"
    r = readings
    lines = []
    if unit["so2"] > 0:
        lines.append(Record("200").left(4, 6, uid).left(10, 6, "CS001").put(16, date)
                     .put(22, hour).right(24, 5, 100.0, 1).right(29, 6, r.so2, 1)
                     .right(35, 6, r.so2, 1).line())
    lines += [
        Record("201").left(4, 6, uid).left(10, 6, "CS001").put(16, date).put(22, hour)
        .right(24, 6, r.nox_ppm, 1).put(30, "01").right(32, 6, r.nox_ppm, 1)
        .right(38, 5, 100.0, 1).line(),
        Record("202").left(4, 6, uid).left(10, 6, "CS001").put(16, date).put(22, hour)
        .right(24, 6, r.co2, 1).put(30, "01").right(32, 5, 100.0, 1).line(),
        Record("220").left(4, 6, uid).left(10, 6, "CS001").put(16, date).put(22, hour)
        .right(24, 5, 100.0, 1).right(29, 10, int(r.flow)).right(39, 10, int(r.flow)).line(),
    ]
    if unit["so2"] > 0:
        lines.append(Record("310").left(4, 6, uid).put(10, date).put(16, hour)
                     .right(18, 7, r.so2_mass, 1).right(25, 7, r.so2_mass, 1).put(32, "  1")
                     .right(35, 7, r.so2_mass, 1).line())
    lines += [
        Record("320").left(4, 6, uid).left(10, 3, "   ").put(13, date).put(19, hour)
        .right(21, 5, 100.0, 1).left(26, 10, "").right(36, 6, r.nox_rate, 3)
        .right(42, 6, r.nox_rate, 3).right(48, 2, min(10, 1 + r.load * 10 // unit["max_load"]))
        .line(),
        Record("330").left(4, 6, uid).put(10, date).put(16, hour).right(18, 10, r.co2_mass, 1)
        .put(28, "  1  ").right(33, 10, r.co2_mass, 1).line(),
    ]
    return lines


def summary_record(plant, unit, totals):
    report_day = plant["report_date"]
    quarter_hours = totals["hours"]
    return (Record("301").left(4, 6, unit["id"]).put(10, yymmdd(report_day))
            .right(16, 10, totals["so2_tons"], 3).right(26, 10, totals["so2_tons"] * 1.9, 3)
            .right(36, 13, totals["nox_rate"], 3).right(49, 13, totals["nox_rate"] * 1.02, 3)
            .right(62, 10, totals["co2_tons"], 1).right(72, 10, totals["co2_tons"] * 1.9, 1)
            .right(82, 10, totals["heat_input"], 1).right(92, 10, totals["heat_input"] * 1.9, 1)
            .left(102, 12, "")
            .right(114, 4, quarter_hours).right(118, 4, quarter_hours * 2 - 24).line())


def report_lines(plant):
    rng = random.Random(plant["id"])
    lines = [facility_record(plant), location_record(plant)]
    hourly, per_unit = [], []
    for unit in plant["units"]:
        totals = {"so2_tons": 0.0, "nox_rate": 0.0, "co2_tons": 0.0, "heat_input": 0.0,
                  "hours": 0}
        for day_index in range(plant["days"]):
            day = plant["first_day"] + datetime.timedelta(days=day_index)
            for hour_of_day in range(24):
                readings = Hour(unit, hour_of_day, rng)
                hourly += hourly_records(unit, day, hour_of_day, readings)
                totals["so2_tons"] += readings.so2_mass / 2000
                totals["nox_rate"] += readings.nox_rate
                totals["co2_tons"] += readings.co2_mass
                totals["heat_input"] += readings.heat_input
                totals["hours"] += 1
        totals["nox_rate"] /= totals["hours"]
        per_unit.append((unit, totals))
    lines += hourly
    for unit, totals in per_unit:
        lines.append(summary_record(plant, unit, totals))
    for unit, _ in per_unit:
        lines += unit_records(plant, unit)
    return lines


PLANTS = [
    {
        "file": "000101.DAT", "id": 101, "quarter": 1, "year": 2001,
        "name": "SMITH, INC. STATION", "epa_id": "IN0000101001", "airs_id": "1812900101",
        "state_id": "IN-129-00101", "state": "IN", "county": "129",
        "latitude": 38.0475, "longitude": 87.8861, "longitude_first": False,
        "elevation": 395, "first_day": datetime.date(2001, 1, 8), "days": 3,
        "report_date": datetime.date(2001, 4, 27),
        "units": [
            {"id": "1", "type": "T", "max_heat_input": 320.0, "commercial_operation": "19690601",
             "stack_height": 500, "flue_area": 380, "monitor_area": 346, "program": "ARP",
             "eia_boiler": "1", "eia_flue": "1", "max_load": 30, "min_load": 10,
             "fuel": "C", "fuel_start": "19690601", "startup_fuel": "N",
             "co2": 11.2, "flow": 2.9e6, "so2": 520.0, "nox_ppm": 210.0, "nox_rate": 0.42,
             "co2_lb_per_mmbtu": 205.0},
            {"id": "2", "type": "T", "max_heat_input": 350.0, "commercial_operation": "19730915",
             "stack_height": 500, "flue_area": 410, "monitor_area": 370, "program": "ARP",
             "eia_boiler": "2", "eia_flue": "2", "max_load": 34, "min_load": 12,
             "fuel": "C", "fuel_start": "19730915", "startup_fuel": "N",
             "co2": 10.9, "flow": 3.2e6, "so2": 480.0, "nox_ppm": 195.0, "nox_rate": 0.38,
             "co2_lb_per_mmbtu": 205.0},
        ],
    },
    {
        "file": "000202.DAT", "id": 202, "quarter": 3, "year": 2000,
        "name": "O'BRIEN STATION", "epa_id": "OH0000202001", "airs_id": "3908100202",
        "state_id": "0641050202", "state": "OH", "county": "081",
        "latitude": 40.3644, "longitude": 80.6131, "longitude_first": False,
        "elevation": 668, "first_day": datetime.date(2000, 8, 14), "days": 3,
        "report_date": datetime.date(2000, 10, 30),
        "units": [
            {"id": "1", "type": "DB", "max_heat_input": 480.0, "commercial_operation": "19670301",
             "stack_height": 600, "flue_area": 530, "monitor_area": 480, "program": "ARP NBP",
             "eia_boiler": "1", "eia_flue": "CS1", "max_load": 45, "min_load": 16,
             "fuel": "C", "fuel_start": "19670301", "startup_fuel": "N",
             "co2": 10.6, "flow": 4.4e6, "so2": 710.0, "nox_ppm": 240.0, "nox_rate": 0.47,
             "co2_lb_per_mmbtu": 205.0},
            {"id": "2", "type": "DB", "max_heat_input": 480.0, "commercial_operation": "19680701",
             "stack_height": 600, "flue_area": 530, "monitor_area": 480, "program": "ARP NBP",
             "eia_boiler": "2", "eia_flue": "CS1", "max_load": 45, "min_load": 16,
             "fuel": "C", "fuel_start": "19680701", "startup_fuel": "N",
             "co2": 10.4, "flow": 4.3e6, "so2": 690.0, "nox_ppm": 232.0, "nox_rate": 0.45,
             "co2_lb_per_mmbtu": 205.0},
            {"id": "GT1", "type": "CT", "max_heat_input": 90.0, "commercial_operation": "19991101",
             "stack_height": 90, "flue_area": 180, "monitor_area": 160, "program": "ARP",
             "eia_boiler": "GT1", "eia_flue": "GT1", "max_load": 9, "min_load": 4,
             "fuel": "PNG", "fuel_start": "19991101", "startup_fuel": "Y",
             "co2": 3.6, "flow": 1.2e6, "so2": 0.0, "nox_ppm": 24.0, "nox_rate": 0.21,
             "co2_lb_per_mmbtu": 117.0},
        ],
    },
    {
        "file": "000303.DAT", "id": 303, "quarter": 2, "year": 2001,
        "name": "KESTREL CREEK", "epa_id": "IN0000303001", "airs_id": "1816700303",
        "state_id": "IN-167-00303", "state": "IN", "county": "167",
        "latitude": 39.5208, "longitude": 87.4186, "longitude_first": True,
        "elevation": 480, "first_day": datetime.date(2001, 5, 21), "days": 3,
        "report_date": datetime.date(2001, 7, 26),
        "units": [
            {"id": "7", "type": "C", "max_heat_input": 220.0, "commercial_operation": "19580401",
             "stack_height": 350, "flue_area": 250, "monitor_area": 228, "program": "ARP",
             "eia_boiler": "7", "eia_flue": "7", "max_load": 20, "min_load": 8,
             "fuel": "C", "fuel_start": "19580401", "startup_fuel": "N",
             "co2": 11.8, "flow": 1.9e6, "so2": 610.0, "nox_ppm": 280.0, "nox_rate": 0.49,
             "co2_lb_per_mmbtu": 205.0},
            {"id": "8", "type": "WBF", "max_heat_input": 250.0, "commercial_operation": "19620901",
             "stack_height": 350, "flue_area": 280, "monitor_area": 250, "program": "ARP",
             "eia_boiler": "8", "eia_flue": "8", "max_load": 24, "min_load": 9,
             "fuel": "C", "fuel_start": "19620901", "startup_fuel": "N",
             "co2": 11.5, "flow": 2.2e6, "so2": 590.0, "nox_ppm": 265.0, "nox_rate": 0.46,
             "co2_lb_per_mmbtu": 205.0},
        ],
    },
]


def main():
    default_folder = pathlib.Path(__file__).resolve().parent.parent / "samples"
    folder = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else default_folder
    folder.mkdir(parents=True, exist_ok=True)
    for plant in PLANTS:
        text = "".join(line + "\r\n" for line in report_lines(plant))
        (folder / plant["file"]).write_bytes(text.encode("ascii"))
        print(f"{folder / plant['file']}: {text.count(chr(10))} lines")


if __name__ == "__main__":
    main()
