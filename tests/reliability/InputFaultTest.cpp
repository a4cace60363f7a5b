#include "tests/reliability/FaultHarness.h"

#include <QFile>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

QByteArray LocationLine(const QByteArray& plantName) {
    return DatLineOf(
        {{1, "102"}, {4, plantName}, {85, "IN"}, {87, "051"}, {91, "391030"}, {97, "0861500"}});
}

// A "200" and a "201" record of the same unit and hour: the "201" UPDATE has to find the row
// that the "200" INSERT made, so the unit must read the same in both statements.
QByteArrayList OneHourOfUnit(const QByteArray& unit) {
    return {SO2ConcLine(unit, "010315", "07", "  12.5", "  12.6", "100.0"),
            NOxConcLine(unit, "010315", "07", "  45.2", "  45.0", "100.0")};
}

class InputFaultTest : public BothEngines {};

// b.DAT, of facility 2, between two good files, holds a line that cannot be taken.
struct BadLine {
    const char* Name;
    QByteArrayList Lines;
    const char* HourlyReason;    // the hourly message after the file's name; nullptr: it completes
    int HourlyRowsKept;          // b.DAT's hours before the line, which stay
    int PromisedLine;            // the line up to which the message says b.DAT's rows stay
    const char* QuarterlyReason; // likewise for the quarterly message
};

TEST_P(InputFaultTest, LineThatCannotBeTakenFailsItsFileWithTheLineAndTheOtherFilesAreKept) {
    const QByteArrayList quarter = QuarterlyLines(2);
    const BadLine cases[] = {
        {"date not a day",
         quarter + QByteArrayList{SO2ConcLine("1", "010230", "07", "  12.5", "", ""),
                                  CO2ConcLine("1", "010230", "07", "  10.5", "")},
         "Line 4: The date \"02/30/01\" of this \"200\" record is not a date.", 0, 0, nullptr},
        {"hour not an hour",
         quarter + QByteArrayList{SO2ConcLine("1", "010315", "ab", "  12.5", "", ""),
                                  CO2ConcLine("1", "010315", "ab", "  10.5", "")},
         "Line 4: The hour \"ab\" of this \"200\" record is not an hour from 0 to 23.", 0, 0,
         nullptr},
        {"NOx concentration beyond a double",
         quarter + QByteArrayList{NOxConcLine("1", "010315", "05", "  45.2", "  45.0", "100.0"),
                                  NOxConcLine("1", "010315", "07", " 1e999", "  45.0", "100.0"),
                                  NOxConcLine("1", "010315", "06", "  45.2", "  45.0", "100.0")},
         "Line 5", 1, 5, nullptr},
        {"CO2 concentration beyond a double",
         quarter + QByteArrayList{CO2ConcLine("1", "010315", "01", " 1e999", "100.0"),
                                  CO2ConcLine("1", "010315", "02", "   5.0", "100.0")},
         "Line 4", 0, 4, "Line 4: The CO2 concentration \"1e999\" is out of range"},
        {"year beyond 16 bits", UnreadableQuarterlyLines(2), nullptr, 0, 0, "Line 1"},
    };
    for (const BadLine& bad : cases) {
        SCOPED_TRACE(bad.Name);
        DatRun run;
        run.State.DatabasePath = FreshDatabase();
        run.Write("a.DAT", QuarterlyLines(1) + HourlyLines(1, 2));
        run.Write("b.DAT", bad.Lines);
        run.Write("c.DAT", QuarterlyLines(3) + HourlyLines(3, 1));
        const QString b = run.Path("b.DAT");

        ScriptedBatchUi hourly;
        const BatchOutcome hourlyOutcome = run.Extract(ExtractHourlyData, hourly);
        if (bad.HourlyReason) {
            EXPECT_EQ(hourlyOutcome.FilesExtracted, 1);
            EXPECT_TRUE(
                hourly.Messages().startsWith("Hourly emissions data could not be extracted from " +
                                             b + " (file 2 of 3).\n" + bad.HourlyReason))
                << hourly.Messages();
            const QString kept =
                bad.PromisedLine > 0
                    ? QStringLiteral("The rows of the files before it, and of this file up to line "
                                     "%1, stay in the database")
                          .arg(bad.PromisedLine)
                    : QStringLiteral("The rows of the files before it stay in the database, none "
                                     "of this file's");
            EXPECT_TRUE(hourly.Messages().endsWith("\n\n" + kept +
                                                   "; the remaining files were not processed."))
                << hourly.Messages();
        } else {
            EXPECT_TRUE(hourlyOutcome.Succeeded()) << hourly.Messages();
        }
        EXPECT_EQ(run.Rows("EMISSIONS", FacilityIs(1)), 2);
        EXPECT_EQ(run.Rows("EMISSIONS", FacilityIs(2)), bad.HourlyRowsKept);
        EXPECT_EQ(run.Rows("EMISSIONS", FacilityIs(3)), bad.HourlyReason ? 0 : 1);

        ScriptedBatchUi quarterly;
        const BatchOutcome quarterlyOutcome = run.Extract(ExtractQuarterlyData, quarterly);
        if (bad.QuarterlyReason) {
            EXPECT_EQ(quarterlyOutcome.FilesExtracted, 2);
            EXPECT_TRUE(quarterly.Messages().startsWith(
                "Header information has been successufully extracted from 2 .DAT files\n\n1 of 3 "
                ".DAT files could not be extracted:\n" +
                b + ": " + bad.QuarterlyReason))
                << quarterly.Messages();
        } else {
            EXPECT_TRUE(quarterlyOutcome.Succeeded()) << quarterly.Messages();
        }
        for (int id = 1; id <= 3; ++id)
            EXPECT_EQ(run.Rows("QUARTERS", FacilityIs(id)), id == 2 && bad.QuarterlyReason ? 0 : 1);
    }
}

// Texts that are not plain ASCII, that look like SQL or hold NUL bytes, a file name that is
// not UTF-8, a byte-order mark and reports with no real date, in one folder loaded twice.
TEST_P(InputFaultTest, TextsAndNamesArriveAsTheyStand) {
    DatRun run;
    run.State.DatabasePath = FreshDatabase();
    const QString plant = QStringLiteral("CAF\u00C9 M\u00DCLLER");
    for (const int id : {501, 502}) {
        const QString unit = QStringLiteral("\u00DC%1").arg(id - 500);
        const auto bytes = [id](const QString& text) {
            return id == 501 ? text.toLatin1() : text.toUtf8();
        };
        run.Write(QStringLiteral("text%1.DAT").arg(id),
                  QByteArrayList{QuarterlyLines(id)[0], LocationLine(bytes(plant)),
                                 DatLineOf({{1, "301"}, {4, bytes(unit)}, {10, "010331"}})} +
                      OneHourOfUnit(bytes(unit)));
    }
    QByteArray location = LocationLine("O'BRIEN'); DROP TABLE EMISSIONS;--");
    location.replace(23, 12, "'; DROP T;--");
    location.replace(35, 10, "x' OR '1'=");
    location.replace(45, 15, "'); DELETE --  ");
    location.replace(84, 5, "''\\';");
    const QByteArray unit = "O'B";
    run.Write(
        "quotes.DAT",
        QByteArrayList{
            QuarterlyLines(601)[0],
            location,
            DatLineOf({{1, "301"}, {4, unit}, {10, "010331"}}),
            DatLineOf({{1, "504"}, {4, unit}, {10, "X'Y"}, {28, "'a"}, {30, "b'"}, {32, "'--'"}}),
            DatLineOf({{1, "505"}, {4, unit}, {10, "'; DROP--"}, {22, "''"}}),
            DatLineOf({{1, "506"}, {4, unit}, {16, "'--x'"}, {21, "');--"}, {37, "'OR'1"}}),
            DatLineOf({{1, "535"}, {4, unit}, {10, "'\\"}, {12, "1'2"}, {18, "'"}}),
            DatLineOf({{1, "587"}, {4, unit}, {10, "';D"}, {13, "19950101"}, {29, "'"}}),
            CO2ConcLine("');--", "010315", "08", "  10.5", "100.0"),
        } + OneHourOfUnit(unit));
    const QByteArray nulInNumber("  12\0"
                                 "3",
                                 6);
    run.Write("nul.DAT",
              QByteArrayList{QuarterlyLines(801)[0], LocationLine(QByteArray("AB\0CD", 5)),
                             DatLineOf({{1, "301"}, {4, "2"}, {10, "010331"}, {16, nulInNumber}}),
                             SO2ConcLine("2", "010315", "05", nulInNumber, "", ""),
                             SO2ConcLine("2", "010315", "06", "  12 3", "", "")} +
                  OneHourOfUnit(QByteArray("1\0A", 3)));
    // QFile cannot make this name: it writes every name as UTF-8.
    const std::string latin1Name =
        QFile::encodeName(run.State.DatFolder).toStdString() + "B\xE9.DAT";
    std::ofstream(latin1Name, std::ios::binary)
        << (QuarterlyLines(701) + HourlyLines(701, 2)).join("\r\n").toStdString() << "\r\n";
    // A byte-order mark, and a 20-byte plant name that ends in the first byte of an E acute.
    QByteArrayList bom = QuarterlyLines(901) + HourlyLines(901, 2).mid(1);
    bom.first().prepend("\xEF\xBB\xBF");
    run.Write("bom.DAT", bom << LocationLine("\xC3\x89"
                                             "COLE DES MINES DU\xC3"));

    // Quarterly reports with no real date: blank, 01/32/45 and 02/30/01, one a file, and a
    // later one of unit 1, which the first leaves out.
    const std::pair<const char*, const char*> reports[] = {
        {"1", ""}, {"2", "013245"}, {"3", "010230"}, {"1", "013245"}};
    int file = 0;
    for (const auto& [unit, date] : reports) {
        const QByteArray so2 = QByteArray::number(++file);
        run.Write(
            QStringLiteral("dateless%1.DAT").arg(file),
            {QuarterlyLines(1001)[0], DatLineOf({{1, "301"}, {4, unit}, {10, date}, {16, so2}})});
    }

    const std::pair<const char*, const char*> stored[] = {
        {"SELECT UNIT_ID, SO2_TONS_QTRLY, DATE_OF_REPORT FROM QUARTERS WHERE FACILITY_ID = 1001 "
         "ORDER BY UNIT_ID",
         "1|1|NULL\n2|2|NULL\n3|3|NULL"},
        {"SELECT Facility_ID, Plant_Name FROM FACILITIES WHERE Facility_ID IN (501, 502, 801, 901) "
         "ORDER BY 1",
         "501|CAF\u00C9 M\u00DCLLER\n502|CAF\u00C9 M\u00DCLLER\n801|ABCD\n901|\u00C9COLE DES MINES "
         "DU"},
        {"SELECT FACILITY_ID, UNIT_ID, SO2_AVG_PPM_PER_HOUR, NOX_AVG_PPM_PER_HOUR FROM EMISSIONS "
         "WHERE FACILITY_ID IN (501, 502, 801) ORDER BY 1, DATA_HOUR, 2",
         "501|\u00DC1|12.5|45.2\n502|\u00DC2|12.5|45.2\n801|2|NULL|NULL\n801|2|NULL|NULL\n"
         "801|1A|12.5|45.2"},
        {"SELECT UNIT_ID FROM UNITS WHERE FACILITY_ID IN (501, 502) ORDER BY FACILITY_ID",
         "\u00DC1\n\u00DC2"},
        {"SELECT UNIT_ID, SO2_TONS_QTRLY FROM QUARTERS WHERE FACILITY_ID IN (501, 502, 801) "
         "ORDER BY FACILITY_ID",
         "\u00DC1|NULL\n\u00DC2|NULL\n2|NULL"},
        {"SELECT Calendar_Quarter, Calendar_Year, Plant_Name, Epa_Facility_ID, "
         "Epa_Airs_Facility_System, State_Facility_ID, State_Postal_Abbreviation, "
         "County_Code_Fips FROM FACILITIES WHERE Facility_ID = 601",
         "1|2001|O'BRIEN'); DROP TABL|'; DROP T;--|x' OR '1'=|'); DELETE --|''|\\';"},
        {"SELECT UNIT_ID, UNIT_TYPE, UNIT_RETIREMENT_DATE, PROGRAM_REQUIREMENT_FOR_EDR, "
         "REPORTING_FREQUENCY, EIA_BOILER_ID, EIA_FLUE_ID, EIA_FACILITY_NUMBER, LOAD_UNITS, "
         "DESIGNATED_NORMAL_LOAD, MAX_HOURLY_GROSS_LOAD FROM UNITS WHERE FACILITY_ID = 601",
         "O'B|X'Y|'a/b'/'--'|'; DROP--|''|'--x'|');--|'OR'1|'\\|'|NULL"},
        {"SELECT FUEL_TYPE_COMBUSTED, STARTUP_FUEL FROM FUELS WHERE FACILITY_ID = 601", "';D|'"},
        {"SELECT UNIT_ID FROM QUARTERS WHERE FACILITY_ID = 601", "O'B"},
        {"SELECT UNIT_ID, NOX_AVG_PPM_PER_HOUR, CO2_AVG_PCT_CONC_PER_HOUR FROM EMISSIONS WHERE "
         "FACILITY_ID = 601 ORDER BY DATA_HOUR",
         "O'B|45.2|NULL\n');--|NULL|10.5"},
        {"SELECT (SELECT COUNT(*) FROM QUARTERS WHERE FACILITY_ID = 701), (SELECT COUNT(*) FROM "
         "EMISSIONS WHERE FACILITY_ID = 701), (SELECT COUNT(*) FROM EMISSIONS WHERE FACILITY_ID = "
         "901)",
         "1|2|2"},
    };
    for (int pass = 1; pass <= 2; ++pass) {
        SCOPED_TRACE(pass == 1 ? "first run" : "second run");
        run.ExpectBothComplete();
        for (const auto& [sql, rows] : stored)
            EXPECT_EQ(RowTexts(QueryRows(run.State.DatabasePath, sql)).join(u'\n'),
                      QString::fromUtf8(rows))
                << sql;
        EXPECT_EQ(DuplicateKeyRows(run.State.DatabasePath), 0);
    }
    std::remove(latin1Name.c_str()); // which QTemporaryDir cannot name
}

TARNWICK_INSTANTIATE_BOTH_ENGINES(InputFaultTest);

} // namespace
} // namespace tarnwick::test
