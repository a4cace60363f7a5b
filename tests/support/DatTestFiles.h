#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>
#include <initializer_list>
#include <ostream>
#include <vector>

// Failure messages show texts as text, also inside lists.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline std::ostream& operator<<(std::ostream& out, QStringView text) {
    return out << text.toString().toStdString();
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

// Hourly lines of unit u, date d (YYMMDD) and hour h with the values at their columns.
using Field = const QByteArray&;
inline QByteArray FacilityLine(Field id) {
    return DatLineOf({{1, "100"}, {4, id}});
}
inline QByteArray SO2ConcLine(Field u, Field d, Field h, Field so2, Field adj, Field avail) {
    return DatLineOf({{1, "200"}, {4, u}, {16, d}, {22, h}, {24, avail}, {29, so2}, {35, adj}});
}
inline QByteArray NOxConcLine(Field u, Field d, Field h, Field nox, Field adj, Field avail) {
    return DatLineOf({{1, "201"}, {4, u}, {16, d}, {22, h}, {24, nox}, {32, adj}, {38, avail}});
}
inline QByteArray CO2ConcLine(Field u, Field d, Field h, Field co2, Field avail) {
    return DatLineOf({{1, "202"}, {4, u}, {16, d}, {22, h}, {24, co2}, {32, avail}});
}
inline QByteArray FlowLine(Field u, Field d, Field h, Field flow, Field adj, Field avail) {
    return DatLineOf({{1, "220"}, {4, u}, {16, d}, {22, h}, {24, avail}, {29, flow}, {39, adj}});
}
inline QByteArray SO2MassLine(Field u, Field d, Field h, Field mass, Field adj, Field total) {
    return DatLineOf({{1, "310"}, {4, u}, {10, d}, {16, h}, {18, mass}, {25, adj}, {35, total}});
}
inline QByteArray NOxRateLine(Field u, Field d, Field h, Field rate, Field adj, Field avail,
                              Field load) {
    return DatLineOf(
        {{1, "320"}, {4, u}, {13, d}, {19, h}, {21, avail}, {36, rate}, {42, adj}, {48, load}});
}
inline QByteArray CO2MassLine(Field u, Field d, Field h, Field mass, Field total) {
    return DatLineOf({{1, "330"}, {4, u}, {10, d}, {16, h}, {18, mass}, {33, total}});
}

// One line of each of the seven hourly types for unit 1 on 03/15/01 at the hour.
inline std::vector<QByteArray> AllSevenHourlyTypes(Field hour) {
    return {SO2ConcLine("1", "010315", hour, "  12.5", "  12.6", "100.0"),
            NOxConcLine("1", "010315", hour, "  45.2", "  45.3", " 99.5"),
            CO2ConcLine("1", "010315", hour, "  11.2", " 98.0"),
            FlowLine("1", "010315", hour, "   1234567", "   1234600", "100.0"),
            SO2MassLine("1", "010315", hour, "  101.5", "  101.6", "  203.1"),
            NOxRateLine("1", "010315", hour, " 0.450", " 0.452", " 97.0", "03"),
            CO2MassLine("1", "010315", hour, "     12.34", "     24.68")};
}

// Writes the bytes to `path` and returns it.
inline QString WriteBytes(const QString& path, const QByteArray& content) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size())
        << path.toStdString();
    return path;
}

// Writes the lines, CR LF after each, to a file of the folder and returns its path.
inline QString WriteDatFile(const QTemporaryDir& folder, const QString& name,
                            const std::vector<QByteArray>& lines) {
    QByteArray content;
    for (const QByteArray& line : lines)
        content += line + "\r\n";
    return WriteBytes(folder.filePath(name), content);
}

// Expected statement texts are written with a middle dot for each blank, so blanks can be
// counted in the test.
inline QString Dotted(const char* text) {
    return QString::fromUtf8(text).replace(u'·', u' ');
}

// Rows read back from a database as "value|value|...", the same on both engines: NULL for a
// null, dates as yyyy-MM-dd, numbers in at most 15 digits.
inline QStringList RowTexts(const QList<QVariantList>& rows) {
    QStringList texts;
    for (const QVariantList& row : rows) {
        QStringList values;
        for (const QVariant& value : row)
            values << (value.isNull()                       ? QStringLiteral("NULL")
                       : value.typeId() == QMetaType::QDate ? value.toDate().toString(Qt::ISODate)
                       : value.typeId() == QMetaType::QString
                           ? value.toString()
                           : QString::number(value.toDouble(), 'g', 15));
        texts << values.join(u'|');
    }
    return texts;
}

// How many file descriptors of this process have the file open.
inline int OpenDescriptors(const QString& path) {
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    int count = 0;
    for (const QString& name :
         descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        count += QFile::symLinkTarget(descriptors.filePath(name)) == target ? 1 : 0;
    return count;
}

} // namespace tarnwick::test
