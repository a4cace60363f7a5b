#include "DatFrame.h"
#include "HourlyRecords.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tarnwick;

namespace {

QString WriteFile(const QTemporaryDir& dir, const QByteArray& content) {
    const QString path = dir.filePath(QStringLiteral("frame.DAT"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return path;
}

struct ReadLine {
    QByteArray Text;
    qint64 Number;
    bool operator==(const ReadLine&) const = default;
};

std::vector<ReadLine> ReadAll(const QByteArray& content) {
    QTemporaryDir dir;
    DatFileReader reader(WriteFile(dir, content));
    std::vector<ReadLine> lines;
    DatLine line;
    while (reader.NextLine(line))
        lines.push_back({line.Text.toByteArray(), line.Number});
    return lines;
}

void PrintTo(const ReadLine& line, std::ostream* os) {
    *os << line.Number << ":\"" << line.Text.toStdString() << '"';
}

DatLine Line(const char* text) {
    return DatLine{QByteArrayView(text), 7};
}

} // namespace

TEST(DatFileReader, SplitsAtEveryLineEndingAndKeepsCommasAndQuotes) {
    const auto lines = ReadAll("100 A\r\n102 SMITH, INC. \"X\"\r200 B\n\n   201 C\r\n\r\n330 D");
    const std::vector<ReadLine> expected{
        {"100 A", 1}, {"102 SMITH, INC. \"X\"", 2}, {"200 B", 3}, {"201 C", 5}, {"330 D", 7}};
    EXPECT_EQ(lines, expected);
}

TEST(DatFileReader, EmptyAndBlankOnlyFilesGiveNoLine) {
    EXPECT_TRUE(ReadAll("").empty());
    EXPECT_TRUE(ReadAll("\r\n\n   \r").empty());
}

TEST(DatFileReader, PassesBytesAbove127Unchanged) {
    const auto lines = ReadAll("102 CAF\xC9 \xE2\x82\xAC\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Text, QByteArray("102 CAF\xC9 \xE2\x82\xAC"));
}

TEST(DatFileReader, CarriageReturnAndLineFeedSplitAcrossChunksCountOnce) {
    // The 1 MiB read chunk ends between CR and LF: still one line ending, not an empty line.
    QByteArray first((1 << 20) - 1, 'x');
    first[0] = '2';
    const auto lines = ReadAll(first + "\r\n" + "330 after" + "\r\n" + "331\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].Text.size(), first.size());
    EXPECT_EQ(lines[1], (ReadLine{"330 after", 2}));
    EXPECT_EQ(lines[2], (ReadLine{"331", 3}));
}

TEST(DatFileReader, MissingFileIsAnErrorNamingThePath) {
    try {
        DatFileReader reader(QStringLiteral("/nonexistent/folder/X.DAT"));
        FAIL() << "no error";
    } catch (const DatFileError& error) {
        EXPECT_TRUE(error.Message.contains(QStringLiteral("/nonexistent/folder/X.DAT")));
    }
}

TEST(DatFrame, CutFieldNeverFails) {
    const QByteArrayView line("2021234");
    EXPECT_EQ(CutField(line, 4, 3), QByteArrayView("123"));
    EXPECT_EQ(CutField(line, 6, 6), QByteArrayView("34"));
    EXPECT_TRUE(CutField(line, 8, 2).isEmpty());
    EXPECT_TRUE(CutField(line, 50, 2).isEmpty());
    EXPECT_EQ(RecordType("20"), QByteArrayView());
    EXPECT_EQ(RecordType("2021234"), QByteArrayView("202"));
}

TEST(DatFrame, FormatDatDateMovesCharactersMonthFirst) {
    EXPECT_EQ(FormatDatDate("202 1    xxxxxx010315", 16, 2), QByteArray("03/15/01"));
    EXPECT_EQ(FormatDatDate("504xxxxxxxxxxxxxxxx19950101", 20, 4), QByteArray("01/01/1995"));
    EXPECT_EQ(FormatDatDate("202 1    xxxxxx01031", 16, 2), QByteArray("03/1/01"));
    EXPECT_EQ(FormatDatDate("202", 16, 2), QByteArray("//"));
    EXPECT_EQ(FixedText<8>(FormatDatDate("202", 16, 2)).View(), QByteArrayView("//      "));
}

TEST(DatFrame, ReadNumberFollowsTheDecimalNumberRule) {
    EXPECT_EQ(ReadNumber("  3456"), 3456);
    EXPECT_EQ(ReadNumber("003456"), 3456);
    EXPECT_EQ(ReadNumber("3 456"), 3456);
    EXPECT_EQ(ReadNumber(" -12.5x7"), -12.5);
    EXPECT_EQ(ReadNumber("1.2.3"), 1.2);
    EXPECT_EQ(ReadNumber(".12345"), 0.12345);
    EXPECT_EQ(ReadNumber("1E+08"), 1e8);
    EXPECT_EQ(ReadNumber("2E"), 2);
    EXPECT_EQ(ReadNumber("5."), 5);
    EXPECT_EQ(ReadNumber("      "), 0);
    EXPECT_EQ(ReadNumber("A12"), 0);
    EXPECT_EQ(ReadNumber("-"), 0);
    EXPECT_EQ(ReadNumber(""), 0);
}

TEST(DatFrame, IntegersRoundHalfToEvenAndRefuseWhatDoesNotFit) {
    EXPECT_EQ(ReadInt32("2.5", "x", 1), 2);
    EXPECT_EQ(ReadInt32("3.5", "x", 1), 4);
    EXPECT_EQ(ReadInt32("-2.5", "x", 1), -2);
    EXPECT_EQ(ReadInt16("1999", "x", 1), 1999);
    EXPECT_THROW(ReadInt16("99999", "year", 1), DatFileError);
    try {
        ReadInt32("9E+999", "facility identifier", 12);
        FAIL() << "no error";
    } catch (const DatFileError& error) {
        EXPECT_EQ(error.Line, 12);
    }
}

TEST(DatFrame, FixedTextPadsAndCuts) {
    EXPECT_EQ(FixedText<6>(QByteArrayView("1")).View(), QByteArrayView("1     "));
    EXPECT_EQ(FixedText<6>(QByteArrayView("0.12345")).View(), QByteArrayView("0.1234"));
    EXPECT_EQ(FixedText<3>().View(), QByteArrayView("   "));
}

TEST(DatFrame, DecodeFieldKeepsUtf8AndFallsBackToLatin1) {
    EXPECT_EQ(DecodeField("CAF\xC3\x89"), QString::fromUtf8("CAF\xC3\x89"));
    EXPECT_EQ(DecodeField("CAF\xC9"), QString(QStringLiteral("CAF")) + QChar(0xC9));
    EXPECT_EQ(DecodeField(QByteArrayView("A\0B\xC9", 4)), QStringLiteral("AB") + QChar(0xC9));
}

TEST(FacilityRecord, SetsTheIdentifierFromColumns4To9) {
    ReaderState state;
    ReadFacilityRecord(Line("100003456"), state);
    EXPECT_EQ(state.CurrentFacilityId, 3456);
    ReadFacilityRecord(Line("100  3456"), state);
    EXPECT_EQ(state.CurrentFacilityId, 3456);
    ReadFacilityRecord(Line("1003 456 1999"), state);
    EXPECT_EQ(state.CurrentFacilityId, 3456);
    ReadFacilityRecord(Line("100      "), state);
    EXPECT_EQ(state.CurrentFacilityId, 0);
}

TEST(HourlyRecords, UnitIdIsTrimmedExceptInTheSO2Record) {
    const char* nox = "201 1    xxxxxx010315070045.2xx  45.2100.0";
    const NOxConcRecord noxRecord = ReadNOxConcRecord(Line(nox));
    EXPECT_EQ(noxRecord.UnitId.View(), QByteArrayView("1     "));
    EXPECT_EQ(noxRecord.DataDate.View(), QByteArrayView("03/15/01"));
    EXPECT_EQ(noxRecord.DataHour.View(), QByteArrayView("07    "));
    EXPECT_EQ(noxRecord.NOxConcentration.View(), QByteArrayView("0045.2"));
    EXPECT_EQ(noxRecord.AdjustedNOxConcentration.View(), QByteArrayView("45.2  "));
    EXPECT_EQ(noxRecord.MonitorDataAvailability.View(), QByteArrayView("100.0"));
    EXPECT_EQ(noxRecord.SourceLine, 7);

    const SO2ConcRecord so2 = ReadSO2ConcRecord(Line("200 1    xxxxxx0103150710000  3.5  3.6"));
    EXPECT_EQ(so2.UnitId.View(), QByteArrayView(" 1    "));
    EXPECT_EQ(so2.DataHour.View(), QByteArrayView("07"));
    EXPECT_EQ(so2.MonitorDataAvailability.View(), QByteArrayView("10000"));
    EXPECT_EQ(so2.SO2Concentration.View(), QByteArrayView("  3.5 "));
    EXPECT_EQ(so2.AdjustedSO2Concentration.View(), QByteArrayView(" 3.6  "));
}

TEST(HourlyRecords, ValuesKeepTheirBlanksOutsideTheNOxConcentrationRecord) {
    const CO2ConcRecord co2 = ReadCO2ConcRecord(Line("202 1    xxxxxx0103150745.2  xx100.0"));
    EXPECT_EQ(co2.CO2Concentration.View(), QByteArrayView("45.2  "));
    const CO2ConcRecord padded = ReadCO2ConcRecord(Line("202 1    xxxxxx01031507  45.2xx100.0"));
    EXPECT_EQ(padded.CO2Concentration.View(), QByteArrayView("  45.2"));
    EXPECT_EQ(padded.MonitorDataAvailability.View(), QByteArrayView("100.0"));
}

TEST(HourlyRecords, DateAndHourColumnsDependOnTheType) {
    const SO2MassRecord so2Mass =
        ReadSO2MassRecord(Line("3105A    0103150712.3456 12.345xxx24.6912"));
    EXPECT_EQ(so2Mass.UnitId.View(), QByteArrayView("5A    "));
    EXPECT_EQ(so2Mass.DataDate.View(), QByteArrayView("03/15/01"));
    EXPECT_EQ(so2Mass.DataHour.View(), QByteArrayView("07    "));
    EXPECT_EQ(so2Mass.SO2Mass.View(), QByteArrayView("12.3456"));
    EXPECT_EQ(so2Mass.AdjustedSO2Mass.View(), QByteArrayView(" 12.345"));
    EXPECT_EQ(so2Mass.TotalSO2Mass.View(), QByteArrayView("24.6912"));

    const NOxRateRecord rate =
        ReadNOxRateRecord(Line("3205A    xxx01031507100.0xxxxxxxxxx 0.450 0.45203"));
    EXPECT_EQ(rate.DataDate.View(), QByteArrayView("03/15/01"));
    EXPECT_EQ(rate.DataHour.View(), QByteArrayView("07    "));
    EXPECT_EQ(rate.DataAvailability.View(), QByteArrayView("100.0"));
    EXPECT_EQ(rate.NOxEmissionRate.View(), QByteArrayView(" 0.450"));
    EXPECT_EQ(rate.AdjustedNOxEmissionRate.View(), QByteArrayView(" 0.452"));
    EXPECT_EQ(rate.OperatingLoadRange.View(), QByteArrayView("03"));

    const CO2MassRecord co2Mass =
        ReadCO2MassRecord(Line("3302     0103152355.1234567xxxxx110.246913"));
    EXPECT_EQ(co2Mass.DataHour.View(), QByteArrayView("23    "));
    EXPECT_EQ(co2Mass.CO2Mass.View(), QByteArrayView("55.1234567"));
    EXPECT_EQ(co2Mass.TotalCO2Mass.View(), QByteArrayView("110.246913"));
}

TEST(HourlyRecords, ShortLinesGiveShortOrBlankFields) {
    const CO2ConcRecord co2 = ReadCO2ConcRecord(Line("202 1    xxxxxx01031"));
    EXPECT_EQ(co2.DataDate.View(), QByteArrayView("03/1/01 "));
    EXPECT_EQ(co2.DataHour.View(), QByteArrayView("      "));
    EXPECT_EQ(co2.CO2Concentration.View(), QByteArrayView("      "));
    const FlowRecord flow = ReadFlowRecord(Line("220"));
    EXPECT_EQ(flow.UnitId.View(), QByteArrayView("      "));
    EXPECT_EQ(flow.DataDate.View(), QByteArrayView("//      "));
}
