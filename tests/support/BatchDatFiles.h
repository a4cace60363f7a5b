#pragma once

#include "tests/support/DatTestFiles.h"

#include <QByteArrayList>
#include <QString>

// Small ".DAT" files for the batch tests, built with DatTestFiles.h's line builders.
namespace tarnwick::test {

inline QByteArray FacilityId(int id) {
    return QByteArray::number(id).rightJustified(6, '0');
}

// Facility `id`, unit 1: one "201" record on 03/15/01 for each of the hours 1 .. hours, that
// is `hours` rows of EMISSIONS.
inline QByteArrayList HourlyLines(int id, int hours) {
    QByteArrayList lines{FacilityLine(FacilityId(id))};
    for (int hour = 1; hour <= hours; ++hour)
        lines << NOxConcLine("1", "010315", QByteArray::number(hour).rightJustified(2, '0'),
                             "  45.2", "  45.0", "100.0");
    return lines;
}

// One record of each of the seven hourly types, unit 1, 03/15/01 07:00: one row of EMISSIONS.
inline QByteArrayList EachHourlyType() {
    return {SO2ConcLine("1", "010315", "07", "  12.5", "  12.6", "100.0"),
            NOxConcLine("1", "010315", "07", "  45.2", "  45.0", "100.0"),
            CO2ConcLine("1", "010315", "07", "  10.5", "100.0"),
            FlowLine("1", "010315", "07", "  123456.0", "  123457.0", "100.0"),
            SO2MassLine("1", "010315", "07", "  101.5", "  102.5", "  103.5"),
            NOxRateLine("1", "010315", "07", " 0.450", " 0.452", "100.0", "03"),
            CO2MassLine("1", "010315", "07", "    12.345", "    12.346")};
}

// Facility `id` in the first quarter of 2001, unit 1 burning pipeline natural gas: one row in
// each of FACILITIES, UNITS, FUELS and QUARTERS.
inline QByteArrayList QuarterlyLines(int id) {
    return {
        DatLineOf({{1, "100"}, {4, FacilityId(id)}, {10, "1"}, {11, "2001"}}),
        DatLineOf({{1, "301"}, {4, "1"}, {10, "010331"}, {16, "12.5"}}),
        DatLineOf({{1, "587"}, {4, "1"}, {10, "PNG"}, {13, "19950101"}, {29, "Y"}}),
    };
}

// A "100" line whose calendar year (columns 11-14) does not fit a 16-bit integer: the
// quarterly reader gives up the file at line 1.
inline QByteArrayList UnreadableQuarterlyLines(int id) {
    return {DatLineOf({{1, "100"}, {4, FacilityId(id)}, {10, "1"}, {11, "9E99"}})};
}

// The lines, CR LF after each, written to `path`.
inline void WriteLines(const QString& path, const QByteArrayList& lines) {
    QByteArray content;
    for (const QByteArray& line : lines)
        content += line + "\r\n";
    WriteBytes(path, content);
}

} // namespace tarnwick::test
