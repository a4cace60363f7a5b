#pragma once

#include "DatTestFiles.h"
#include "HourlyRecords.h"
#include "RecordingDatabase.h"
#include "SourcesDatabase.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <initializer_list>
#include <utility>
#include <vector>

namespace tarnwick {

// A record line: each text placed at its 1-based column, blanks in the gaps.
inline QByteArray DatRecord(const char* type,
                            std::initializer_list<std::pair<int, const char*>> fields = {}) {
    QByteArray line(type);
    for (const auto& [column, text] : fields)
        test::PlaceAt(line, column, QByteArray(text));
    return line;
}

// Lines of the quarterly record types with typical values; the parameters are the
// values tests vary.
inline QByteArray FacilityLine() {
    return DatRecord("100", {{4, "003456"}, {10, "3"}, {11, "2001"}});
}

inline QByteArray LocationLine(const char* coordinates) {
    return DatRecord("102", {{4, "O'BRIEN STATION"},
                             {24, "IN0001234567"},
                             {36, "1809700012"},
                             {46, "STATE-00097    "},
                             {61, "ELECTRIC UTILITY    4911"},
                             {85, "IN"},
                             {87, "097"},
                             {91, coordinates}});
}

inline QByteArray CO2Line(const char* hour, const char* concentration) {
    return DatRecord("202", {{4, " 1    "},
                             {10, "CS001"},
                             {16, "010315"},
                             {22, hour},
                             {24, concentration},
                             {30, "01"},
                             {32, "100.0"}});
}

inline QByteArray FlowLine(const char* hour, const char* flow) {
    return DatRecord(
        "220",
        {{4, "1"}, {16, "010315"}, {22, hour}, {24, "100.0"}, {29, flow}, {39, "   2460000"}});
}

inline QByteArray SummaryLine(const char* unit) {
    return DatRecord("301", {{4, unit},
                             {10, "010331"},
                             {16, "  123.4567"},
                             {26, "  456.7890"},
                             {36, "        0.456"},
                             {49, "        0.412"},
                             {62, " 123456.78"},
                             {72, " 234567.89"},
                             {82, " 1234567.8"},
                             {92, " 2345678.9"},
                             {102, "XXXXXXXXXXXX"},
                             {114, "2159"},
                             {118, "4318"}});
}

inline QByteArray UnitLine(const char* unit, const char* type) {
    return DatRecord("504", {{4, unit},
                             {10, type},
                             {13, " 2850.0"},
                             {20, "19730601"},
                             {28, "12312030"},
                             {36, " 500"},
                             {40, "  545"},
                             {45, " 254"},
                             {49, " 201"}});
}

inline QByteArray FuelLine(const char* type) {
    return DatRecord("587", {{4, "1"}, {10, type}, {13, "19730601"}, {21, "        "}, {29, "N"}});
}

inline QList<QByteArray> AllRecordTypes() {
    return {
        FacilityLine(),
        LocationLine("3910300861500"),
        DatRecord("200", {{4, "1"}, {16, "010315"}, {22, "07"}, {29, "   500"}}),
        CO2Line("07", "  10.5"),
        FlowLine("07", "   2450000"),
        CO2Line("08", "  12.5"),
        FlowLine("08", "   2550000"),
        DatRecord("999", {{4, "1"}}),
        SummaryLine("1     "),
        UnitLine("1     ", "T  "),
        DatRecord("505", {{4, "1"}, {10, "ARP NBP   "}, {22, "Q "}, {24, "X"}}),
        DatRecord("506", {{4, "1"},
                          {16, "1    "},
                          {21, "CS001"},
                          {26, "2000"},
                          {30, "XXXXXXX"},
                          {37, "003456"}}),
        DatRecord("535", {{4, "1"}, {10, "MW"}, {12, "   300"}, {18, "Y"}}),
        DatRecord("536", {{4, "1"}, {10, "   310"}, {16, "    50"}}),
        FuelLine("C  "),
    };
}

// A folder of ".DAT" files that is removed with the test.
class ScratchDatFiles {
public:
    QString Write(const QString& name, const QList<QByteArray>& lines) {
        QByteArray content;
        for (const QByteArray& line : lines)
            content += line + "\r\n";
        const QString path = Folder.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QString PathOf(const QString& name) const { return Folder.filePath(name); }

private:
    QTemporaryDir Folder;
};

// Keeps the statements it is given instead of running them; refuses the n-th when told to.
using test::RecordingDatabase;
using test::RecordingProgress;

// Open file descriptors of this process, to see that a reader let go of its file.
inline qsizetype OpenFileCount() {
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

} // namespace tarnwick
