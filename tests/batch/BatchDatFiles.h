#pragma once

#include "DatTestFiles.h"

#include <QByteArrayList>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

namespace tarnwick::test {

// Writes the lines, CR LF after each, to `path`.
inline void WriteLines(const QString& path, const QByteArrayList& lines) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    for (const QByteArray& line : lines)
        file.write(line + "\r\n");
}

inline QByteArray FacilityId(int id) {
    return QByteArray::number(id).rightJustified(6, '0');
}

// A file of facility `id` with one "201" record of unit 1 on 03/15/01 for each of the hours
// 1 .. hours: `hours` rows of EMISSIONS.
inline QByteArrayList HourlyLines(int id, int hours) {
    QByteArrayList lines{FacilityLine(FacilityId(id))};
    for (int hour = 1; hour <= hours; ++hour) {
        lines << NOxConcLine("1", "010315", QByteArray::number(hour).rightJustified(2, '0'),
                             "  45.2", "  45.0", "100.0");
    }
    return lines;
}

// A file of facility `id` for the first quarter of 2001, unit 1, burning pipeline natural
// gas: one row in each of FACILITIES, UNITS, FUELS and QUARTERS.
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

} // namespace tarnwick::test
