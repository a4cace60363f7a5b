#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <initializer_list>
#include <ostream>
#include <vector>

// Failure messages show texts as text, also inside lists.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tarnwick::test {

// One value of a test line and the 1-based column where it starts.
struct At {
    int Column;
    QByteArray Text;
};

// A ".DAT" line with each value placed at its column and blanks in between, so tests name
// columns instead of counting blanks.
inline void PlaceAt(QByteArray& line, int column, const QByteArray& text) {
    const qsizetype start = column - 1;
    if (line.size() < start + text.size())
        line.resize(start + text.size(), ' ');
    line.replace(start, text.size(), text);
}

inline QByteArray DatLineOf(std::initializer_list<At> fields) {
    QByteArray line;
    for (const At& field : fields)
        PlaceAt(line, field.Column, field.Text);
    return line;
}

// Hourly lines of one unit and hour with the values at their columns. Date is YYMMDD.
inline QByteArray FacilityLine(const QByteArray& id) {
    return DatLineOf({{1, "100"}, {4, id}});
}
inline QByteArray SO2ConcLine(const QByteArray& unit, const QByteArray& date,
                              const QByteArray& hour, const QByteArray& so2,
                              const QByteArray& adjusted, const QByteArray& available) {
    return DatLineOf({{1, "200"},
                      {4, unit},
                      {16, date},
                      {22, hour},
                      {24, available},
                      {29, so2},
                      {35, adjusted}});
}
inline QByteArray NOxConcLine(const QByteArray& unit, const QByteArray& date,
                              const QByteArray& hour, const QByteArray& nox,
                              const QByteArray& adjusted, const QByteArray& available) {
    return DatLineOf({{1, "201"},
                      {4, unit},
                      {16, date},
                      {22, hour},
                      {24, nox},
                      {32, adjusted},
                      {38, available}});
}
inline QByteArray CO2ConcLine(const QByteArray& unit, const QByteArray& date,
                              const QByteArray& hour, const QByteArray& co2,
                              const QByteArray& available) {
    return DatLineOf({{1, "202"}, {4, unit}, {16, date}, {22, hour}, {24, co2}, {32, available}});
}
inline QByteArray FlowLine(const QByteArray& unit, const QByteArray& date, const QByteArray& hour,
                           const QByteArray& flow, const QByteArray& adjusted,
                           const QByteArray& available) {
    return DatLineOf({{1, "220"},
                      {4, unit},
                      {16, date},
                      {22, hour},
                      {24, available},
                      {29, flow},
                      {39, adjusted}});
}
inline QByteArray SO2MassLine(const QByteArray& unit, const QByteArray& date,
                              const QByteArray& hour, const QByteArray& mass,
                              const QByteArray& adjusted, const QByteArray& total) {
    return DatLineOf(
        {{1, "310"}, {4, unit}, {10, date}, {16, hour}, {18, mass}, {25, adjusted}, {35, total}});
}
inline QByteArray NOxRateLine(const QByteArray& unit, const QByteArray& date,
                              const QByteArray& hour, const QByteArray& rate,
                              const QByteArray& adjusted, const QByteArray& available,
                              const QByteArray& loadRange) {
    return DatLineOf({{1, "320"},
                      {4, unit},
                      {13, date},
                      {19, hour},
                      {21, available},
                      {36, rate},
                      {42, adjusted},
                      {48, loadRange}});
}
inline QByteArray CO2MassLine(const QByteArray& unit, const QByteArray& date,
                              const QByteArray& hour, const QByteArray& mass,
                              const QByteArray& total) {
    return DatLineOf({{1, "330"}, {4, unit}, {10, date}, {16, hour}, {18, mass}, {33, total}});
}

// Writes the lines, CR LF after each, to a file of the folder and returns its path.
inline QString WriteDatFile(const QTemporaryDir& folder, const QString& name,
                            const std::vector<QByteArray>& lines) {
    const QString path = folder.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    for (const QByteArray& line : lines)
        file.write(line + "\r\n");
    return path;
}

// Expected statement texts are written with a middle dot for each blank, so blanks can be
// counted in the test.
inline QString Dotted(const char* text) {
    return QString::fromUtf8(text).replace(u'·', u' ');
}

} // namespace tarnwick::test
