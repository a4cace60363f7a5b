#include "QuarterlyReader.h"
#include "QuarterlyTestFiles.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

enum Table { Facilities, Units, Fuels, Quarters };

// Runs the reader over files written from lines, against a database that keeps the
// statements, so each test can look at the literals every table received.
class QuarterlyReaderTest : public ::testing::Test {
protected:
    void Extract(const QList<QByteArray>& lines) {
        Database.Statements.clear();
        ExtractQuarterlyFile(Files.Write("TEST.DAT", lines), State, Database, Progress);
    }

    // The literal list of a table's statement: "(3456, '1', ...)".
    QString Values(Table table) const {
        return Database.Statements.value(table).section(QStringLiteral(" VALUES "), 1);
    }

    // The text literals of the QUARTERS statement from CO2_MIN_PCT_CONC_QTRLY on.
    QString Statistics() const { return Values(Quarters).section(QStringLiteral(", "), 13); }

    ScratchDatFiles Files;
    RecordingDatabase Database;
    RecordingProgress Progress;
    ReaderState State;
};

TEST_F(QuarterlyReaderTest, AllRecordTypesFillEveryColumn) {
    Extract(AllRecordTypes());

    ASSERT_EQ(Database.Statements.size(), 4);
    EXPECT_TRUE(Database.Statements[Facilities].startsWith("INSERT INTO FACILITIES "));
    EXPECT_TRUE(Database.Statements[Units].startsWith("INSERT INTO UNITS "));
    EXPECT_TRUE(Database.Statements[Fuels].startsWith("INSERT INTO FUELS "));
    EXPECT_TRUE(Database.Statements[Quarters].startsWith("INSERT INTO QUARTERS "));
    EXPECT_EQ(Values(Facilities), "(3456, '3', '2001', 'O''BRIEN STATION', 'IN0001234567', "
                                  "'1809700012', 'STATE-00097    ', 'IN', '097', 39.175, -86.25)");
    EXPECT_EQ(Values(Units),
              "(3456, '1', 'Boiler: Tangentially-fired', ' 2850.0', '06/01/1973', '12/31/2030', "
              "' 500', '  545', ' 254', ' 201', 'ARP NBP', 'Q ', '1', 'CS001', '2000', '003456', "
              "'MW', '   300', 'Y', '   310', '    50')");
    EXPECT_EQ(Values(Fuels), "(3456, '1', 'Coal', '06/01/1973', '  /  /    ', 'N')");
    EXPECT_EQ(Values(Quarters),
              "(3456, '1', '03/31/01', '  123.4567', '  456.7890', '        0.456', "
              "'        0.412', ' 123456.78', ' 234567.89', ' 1234567.8', ' 2345678.9', '2159', "
              "'4318', ' 10.5', ' 12.5', ' 11.5', ' 2450000', ' 2550000', ' 2500000')");
    EXPECT_EQ(State.CurrentFacilityId, 3456);
    EXPECT_EQ(Progress.Values, (std::vector<float>{10, 100}));
}

TEST_F(QuarterlyReaderTest, HourlyRecordsKeepTheNumberTextOfTheirValue) {
    Extract({CO2Line("07", "  10.5"), CO2Line("08", ".12345"), FlowLine("07", "     12345")});

    ASSERT_EQ(State.Lists.CO2ConcRecords.size(), 2u);
    const CO2ConcRecord& first = State.Lists.CO2ConcRecords[0];
    EXPECT_EQ(first.UnitId.View(), "1     ");
    EXPECT_EQ(first.DataDate.View(), "03/15/01");
    EXPECT_EQ(first.DataHour.View(), "07    ");
    EXPECT_EQ(first.CO2Concentration.View(), "10.5  ");
    EXPECT_EQ(first.MonitorDataAvailability.View(), "100.0");
    EXPECT_EQ(State.Lists.CO2ConcRecords[1].CO2Concentration.View(), "0.1234");
    ASSERT_EQ(State.Lists.FlowRecords.size(), 1u);
    EXPECT_EQ(State.Lists.FlowRecords[0].AverageVolumetricFlow.View(), "12345     ");
    EXPECT_EQ(State.Lists.FlowRecords[0].AdjustedVolumetricFlow.View(), "   2460000");
    EXPECT_EQ(State.Lists.FlowRecords[0].FlowDataAvailability.View(), "100.0");

    Extract({FacilityLine()});
    EXPECT_TRUE(State.Lists.CO2ConcRecords.empty());
    EXPECT_TRUE(State.Lists.FlowRecords.empty());
}

TEST_F(QuarterlyReaderTest, LastRecordOfATypeWins) {
    Extract({UnitLine("1", "T"), UnitLine("2", "CC"), FuelLine("C"), FuelLine("PNG")});
    EXPECT_TRUE(Values(Units).startsWith("(0, '2', 'Turbine: Combined cycle', "))
        << qPrintable(Values(Units));
    EXPECT_EQ(Values(Fuels), "(0, '2', 'Pipeline Natural Gas', '06/01/1973', '  /  /    ', 'N')");

    Extract({UnitLine("1", "T"), SummaryLine("2")});
    EXPECT_TRUE(Values(Units).startsWith("(0, '2', 'Boiler: Tangentially-fired', "));
    EXPECT_TRUE(Values(Fuels).startsWith("(0, '2', "));
    EXPECT_TRUE(Values(Quarters).startsWith("(0, '2', '03/31/01', "));

    Extract({SummaryLine("2"), UnitLine("1", "T")});
    EXPECT_TRUE(Values(Quarters).startsWith("(0, '1', '03/31/01', "));
}

TEST_F(QuarterlyReaderTest, TypeCodesAreTranslatedAsTheLineHoldsThem) {
    Extract({UnitLine("1", "C"), FuelLine(" C ")});
    EXPECT_TRUE(Values(Units).startsWith("(0, '1', 'Boiler: Cyclone boiler', "));
    EXPECT_TRUE(Values(Fuels).startsWith("(0, '1', 'Coal', "));

    // Only trailing blanks leave the unit type; a leading blank stays and misses the table.
    Extract({UnitLine("1", " CC"), FuelLine("png")});
    EXPECT_TRUE(Values(Units).startsWith("(0, '1', ' CC', "));
    EXPECT_TRUE(Values(Fuels).startsWith("(0, '1', 'png', "));

    Extract({UnitLine("1", "XYZ"), FuelLine("   ")});
    EXPECT_TRUE(Values(Units).startsWith("(0, '1', 'XYZ', "));
    EXPECT_TRUE(Values(Fuels).startsWith("(0, '1', '', "));
}

TEST_F(QuarterlyReaderTest, CoordinatesInEitherOrder) {
    const struct {
        const char* Columns91To103;
        const char* Expected;
    } cases[] = {
        {"3910300861500", "39.175, -86.25)"}, // latitude first
        {"8615000391030", "39.175, -86.25)"}, // longitude first: 86 > 75
        {"4130000873000", "41.5, -87.5)"},
        {"8730000413000", "41.5, -87.5)"},
        {"7500000800000", "75, -80)"}, // 75 itself is a latitude
        {"7600000400000", "40, -76)"},
        {" 4 0 0   0 0 ", "4, 0)"}, // no "-0" for a zero longitude
    };
    for (const auto& coordinates : cases) {
        Extract({LocationLine(coordinates.Columns91To103)});
        EXPECT_TRUE(Values(Facilities).endsWith(coordinates.Expected))
            << coordinates.Columns91To103 << " gave " << qPrintable(Values(Facilities));
    }
}

TEST_F(QuarterlyReaderTest, LocationLineLengthBoundary) {
    const QByteArray fifty = DatRecord("102", {{4, "PLANT"}, {50, "X"}});
    ASSERT_EQ(fifty.size(), 50);
    Extract({fifty});
    EXPECT_EQ(Values(Facilities), "(0, '0', '0', '', '', '', '', '', '', 0, 0)");

    const QByteArray fiftyOne = DatRecord("102", {{4, "PLANT"}, {24, "EPA"}, {51, "X"}});
    ASSERT_EQ(fiftyOne.size(), 51);
    Extract({fiftyOne});
    EXPECT_EQ(Values(Facilities), "(0, '0', '0', 'PLANT', 'EPA         ', '          ', "
                                  "'     X', '', '', 0, 0)");
}

TEST_F(QuarterlyReaderTest, NoNumberInColumns91To92LeavesCoordinatesZero) {
    for (const char* order : {"  0800000400000", "AB0800000400000", "+.0800000400000"}) {
        Extract({LocationLine("3910300861500"), LocationLine(order)});
        EXPECT_EQ(Values(Facilities),
                  "(0, '0', '0', 'O''BRIEN STATION', 'IN0001234567', '1809700012', "
                  "'STATE-00097    ', 'IN', '097', 0, 0)")
            << order;
    }
}

TEST_F(QuarterlyReaderTest, FacilityRecordSetsIdentifierQuarterAndYear) {
    Extract({DatRecord("100", {{4, "  2.5 "}, {10, "4"}, {11, "1999"}})});
    EXPECT_EQ(State.CurrentFacilityId, 2);
    EXPECT_TRUE(Values(Facilities).startsWith("(2, '4', '1999', "));
}

TEST_F(QuarterlyReaderTest, FileWithoutFacilityRecordKeepsThePreviousIdentifier) {
    State.CurrentFacilityId = 3456;
    Extract({UnitLine("1", "T")});
    EXPECT_TRUE(Values(Facilities).startsWith("(3456, '0', '0', "));
    for (Table table : {Units, Fuels, Quarters})
        EXPECT_TRUE(Values(table).startsWith("(3456, '1', ")) << qPrintable(Values(table));
}

TEST_F(QuarterlyReaderTest, EmptyFileWritesFourRowsOfStartValues) {
    State.CurrentFacilityId = 7;
    Extract({});
    ASSERT_EQ(Database.Statements.size(), 4);
    EXPECT_EQ(Values(Facilities), "(7, '0', '0', '', '', '', '', '', '', 0, 0)");
    EXPECT_EQ(Values(Units), "(7, " + QStringList(20, "''").join(", ") + ")");
    EXPECT_EQ(Values(Fuels), "(7, '', '', '', '', '')");
    EXPECT_EQ(Values(Quarters), "(7, " + QStringList(18, "''").join(", ") + ")");
    EXPECT_EQ(Progress.Values, (std::vector<float>{10, 100}));
}

TEST_F(QuarterlyReaderTest, NoHourlyRecordsGiveEmptyStatistics) {
    Extract({FacilityLine(), SummaryLine("1")});
    EXPECT_EQ(Statistics(), "'', '', '', '', '', '')");
    Extract({CO2Line("07", "  10.5")});
    EXPECT_EQ(Statistics(), "' 10.5', ' 10.5', ' 10.5', '', '', '')");
    Extract({FlowLine("07", "     12345")});
    EXPECT_EQ(Statistics(), "'', '', '', ' 12345', ' 12345', ' 12345')");
}

TEST_F(QuarterlyReaderTest, CO2SumIsNotRoundedPerRecord) {
    Extract({CO2Line("07", "  10.5"), CO2Line("08", "  10.5")});
    EXPECT_TRUE(Statistics().startsWith("' 10.5', ' 10.5', ' 10.5', ")) << qPrintable(Statistics());
}

TEST_F(QuarterlyReaderTest, CO2AverageIsRoundedToHundredths) {
    Extract({CO2Line("07", "10.005")});
    EXPECT_TRUE(Statistics().startsWith("' 10.005', ' 10.005', ' 10.01', "));
    Extract({CO2Line("07", "    10"), CO2Line("08", "    11"), CO2Line("09", "    11")});
    EXPECT_TRUE(Statistics().startsWith("' 10', ' 11', ' 10.67', "));
}

TEST_F(QuarterlyReaderTest, ConcentrationEntersAsCutToItsField) {
    Extract({CO2Line("07", ".12345")});
    EXPECT_TRUE(Statistics().startsWith("' 0.1234', ' 0.1234', ' 0.12', "))
        << qPrintable(Statistics());
}

TEST_F(QuarterlyReaderTest, FlowsAboveOneHundredMillion) {
    Extract({FlowLine("07", " 150000000"), FlowLine("08", " 250000000")});
    EXPECT_EQ(Statistics(), "'', '', '', ' 1.5E+08', ' 2.5E+08', ' 2E+08')");
    Extract({FlowLine("07", "  12345678"), FlowLine("08", " 100000000")});
    EXPECT_TRUE(Statistics().startsWith("'', '', '', ' 1.234568E+07', ' 1E+08', "));
}

TEST_F(QuarterlyReaderTest, FlowSumKeepsDoublePrecision) {
    // In single precision 16777216 + 1 + 1 stays 16777216.
    Extract(
        {FlowLine("07", "  16777216"), FlowLine("08", "         1"), FlowLine("09", "         1")});
    EXPECT_EQ(Statistics(), "'', '', '', ' 1', ' 1.677722E+07', ' 5592406')");
}

TEST_F(QuarterlyReaderTest, NegativeValues) {
    Extract({CO2Line("07", "    -3"), CO2Line("08", "    -1"), FlowLine("07", "     -5000")});
    EXPECT_EQ(Statistics(), "'-3', '-1', '-2', '-5000', '-5000', '-5000')");
}

TEST_F(QuarterlyReaderTest, FileThatCannotBeOpenedWritesNothing) {
    const qsizetype openBefore = OpenFileCount();
    EXPECT_THROW(ExtractQuarterlyFile(Files.PathOf("MISSING.DAT"), State, Database, Progress),
                 Error);
    EXPECT_TRUE(Database.Statements.isEmpty());
    EXPECT_TRUE(Progress.Values.empty());
    EXPECT_EQ(OpenFileCount(), openBefore);
}

TEST_F(QuarterlyReaderTest, UnreadableLineEndsTheFileAndClosesIt) {
    const QString path = Files.Write(
        "BAD.DAT", {UnitLine("1", "T"), DatRecord("100", {{4, "1"}, {11, "9E99"}}), FuelLine("C")});
    const qsizetype openBefore = OpenFileCount();
    try {
        ExtractQuarterlyFile(path, State, Database, Progress);
        FAIL() << "a year out of range was taken";
    } catch (const Error& error) {
        EXPECT_EQ(error.Line, 2);
    }
    EXPECT_EQ(OpenFileCount(), openBefore);
    EXPECT_TRUE(Database.Statements.isEmpty());
    EXPECT_TRUE(Progress.Values.empty());
}

TEST_F(QuarterlyReaderTest, RefusedStatementStopsTheFollowingWriters) {
    const QString path = Files.Write("REFUSED.DAT", AllRecordTypes());
    Database.RefuseAt = 1;
    const qsizetype openBefore = OpenFileCount();
    EXPECT_THROW(ExtractQuarterlyFile(path, State, Database, Progress), Error);
    ASSERT_EQ(Database.Statements.size(), 1);
    EXPECT_TRUE(Database.Statements[0].startsWith("INSERT INTO FACILITIES "));
    EXPECT_EQ(Progress.Values, std::vector<float>{10});
    EXPECT_EQ(OpenFileCount(), openBefore);
}

} // namespace
} // namespace tarnwick
