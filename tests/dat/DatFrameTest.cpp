#include "DatFrame.h"
#include "DatTestFiles.h"
#include "HourlyRecords.h"

#include <QTemporaryDir>
#include <functional>
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

TEST(DatFileReader, SkipsAByteOrderMarkAtTheStartOfTheFileOnly) {
    const QByteArray mark("\xEF\xBB\xBF");
    const auto lines = ReadAll(mark + " 100 A\r\n" + mark + "200 B\n");
    const std::vector<ReadLine> expected{{"100 A", 1}, {mark + "200 B", 2}};
    EXPECT_EQ(lines, expected);
}

TEST(DatFileReader, MissingFileIsAnErrorNamingThePath) {
    try {
        DatFileReader reader(QStringLiteral("/nonexistent/folder/X.DAT"));
        FAIL() << "no error";
    } catch (const Error& error) {
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
    EXPECT_EQ(ReadFieldNumber("  3456").Value, 3456);
    EXPECT_EQ(ReadFieldNumber("003456").Value, 3456);
    EXPECT_EQ(ReadFieldNumber("3 456").Value, 3456);
    EXPECT_EQ(ReadFieldNumber(" -12.5x7").Value, -12.5);
    EXPECT_EQ(ReadFieldNumber("1.2.3").Value, 1.2);
    EXPECT_EQ(ReadFieldNumber(".12345").Value, 0.12345);
    EXPECT_EQ(ReadFieldNumber("1E+08").Value, 1e8);
    EXPECT_EQ(ReadFieldNumber("2E").Value, 2);
    EXPECT_EQ(ReadFieldNumber("5.").Value, 5);
    EXPECT_EQ(ReadFieldNumber("      ").Value, 0);
    EXPECT_EQ(ReadFieldNumber("A12").Value, 0);
    EXPECT_EQ(ReadFieldNumber("-").Value, 0);
    EXPECT_EQ(ReadFieldNumber("").Value, 0);
}

TEST(DatFrame, IntegersRoundHalfToEvenAndRefuseWhatDoesNotFit) {
    EXPECT_EQ(ReadInt32("2.5", "x", 1), 2);
    EXPECT_EQ(ReadInt32("3.5", "x", 1), 4);
    EXPECT_EQ(ReadInt32("-2.5", "x", 1), -2);
    EXPECT_EQ(ReadInt16("1999", "x", 1), 1999);
    EXPECT_THROW(ReadInt16("99999", "year", 1), Error);
    try {
        ReadInt32("9E+999", "facility identifier", 12);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.Line, 12);
    }
}

TEST(DatFrame, FixedTextPadsAndCuts) {
    EXPECT_EQ(FixedText<6>(QByteArrayView("1")).View(), QByteArrayView("1     "));
    EXPECT_EQ(FixedText<6>(QByteArrayView("0.12345")).View(), QByteArrayView("0.1234"));
    EXPECT_EQ(FixedText<3>().View(), QByteArrayView("   "));
}

TEST(DatFrame, ReadCountedNumberRefusesWhatADoubleCannotHold) {
    EXPECT_EQ(ReadCountedNumber(" 5.0", "x", 1), 5.0);
    for (const char* text : {" 1e999", "-1E999", "1e-999"}) {
        try {
            ReadCountedNumber(text, "CO2 concentration", 9);
            ADD_FAILURE() << text << " was read";
        } catch (const Error& error) {
            EXPECT_EQ(error.Line, 9);
            EXPECT_EQ(error.Message, QStringLiteral("The CO2 concentration \"%1\" is out of range")
                                         .arg(QString::fromLatin1(text).trimmed()));
        }
    }
}

TEST(DatFrame, FieldsAreUtf8OrLatin1AndOnlyTextFieldsDropNul) {
    const QString nulInValue =
        QStringLiteral("  12") + QChar(QChar::ReplacementCharacter) + QLatin1Char('3');
    const struct {
        QByteArray Bytes;
        QString Text;
        QString Value;
    } cases[] = {
        {"CAF\xC3\x89", QStringLiteral("CAF\u00C9"), QStringLiteral("CAF\u00C9")},
        // Latin-1 E acute at the end is also a UTF-8 lead byte; without UTF-8 before it, Latin-1.
        {"CAF\xC9", QStringLiteral("CAF\u00C9"), QStringLiteral("CAF\u00C9")},
        // 20 bytes cut inside a character: the cut character goes.
        {QByteArray("\xC3\x89") + "COLE DES MINES DU\xC3",
         QStringLiteral("\u00C9COLE DES MINES DU"),
         {}},
        {"\xE2\x82\xAC 1 \xE2\x82", QStringLiteral("\u20AC 1 "), {}},
        {QByteArray("A\0B\xC9", 4), QStringLiteral("AB\u00C9"), {}},
        {QByteArray("  12") + '\0' + '3', QStringLiteral("  123"), nulInValue},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeField(c.Bytes), c.Text) << c.Bytes.toHex().constData();
        if (!c.Value.isNull()) {
            EXPECT_EQ(DecodeValueField(c.Bytes), c.Value) << c.Bytes.toHex().constData();
        }
    }
}

TEST(DatFrame, FileNamesKeepTheirBytes) {
    EXPECT_EQ(DecodeFileName("\xC3\x9C.DAT"), QStringLiteral("\u00DC.DAT"));
    for (const QByteArray& bytes :
         {QByteArray("A.DAT"), QByteArray("B\xE9.DAT"), QByteArray("\xF0\x9F\x98\x80\xFF\xC3")})
        EXPECT_EQ(EncodeFileName(DecodeFileName(bytes)), bytes) << bytes.toHex().constData();
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
    const CO2ConcRecord co2 = ReadCO2ConcRecord(Line("202 1    xxxxxx01031"), HourKey::NotUsed);
    EXPECT_EQ(co2.DataDate.View(), QByteArrayView("03/1/01 "));
    EXPECT_EQ(co2.DataHour.View(), QByteArrayView("      "));
    EXPECT_EQ(co2.CO2Concentration.View(), QByteArrayView("      "));
    const FlowRecord flow = ReadFlowRecord(Line("220"), HourKey::NotUsed);
    EXPECT_EQ(flow.UnitId.View(), QByteArrayView("      "));
    EXPECT_EQ(flow.DataDate.View(), QByteArrayView("//      "));
}

TEST(HourlyRecords, EveryTypeRefusesAKeyItCannotRead) {
    using namespace tarnwick::test;
    const struct {
        QByteArray Line;
        std::function<void(const DatLine&, HourKey)> Read;
        const char* Reason;
    } cases[] = {
        {SO2ConcLine("1", "010230", "07", "", "", ""),
         [](const DatLine& l, HourKey k) { ReadSO2ConcRecord(l, k); },
         "The date \"02/30/01\" of this \"200\" record is not a date."},
        {SO2ConcLine("1", "010315", "ab", "", "", ""),
         [](const DatLine& l, HourKey k) { ReadSO2ConcRecord(l, k); },
         "The hour \"ab\" of this \"200\" record is not an hour from 0 to 23."},
        {NOxConcLine("1", "", "07", "", "", ""),
         [](const DatLine& l, HourKey k) { ReadNOxConcRecord(l, k); },
         "This \"201\" record has no date."},
        {CO2ConcLine("1", "010315", "24", "", ""),
         [](const DatLine& l, HourKey k) { ReadCO2ConcRecord(l, k); },
         "The hour \"24\" of this \"202\" record is not an hour from 0 to 23."},
        {FlowLine("1", "011315", "07", "", "", ""),
         [](const DatLine& l, HourKey k) { ReadFlowRecord(l, k); },
         "The date \"13/15/01\" of this \"220\" record is not a date."},
        {SO2MassLine("1", "010315", "", "", "", ""),
         [](const DatLine& l, HourKey k) { ReadSO2MassRecord(l, k); },
         "This \"310\" record has no hour."},
        {DatLineOf({{1, "320"}, {4, "1"}, {13, "0103"}}),
         [](const DatLine& l, HourKey k) { ReadNOxRateRecord(l, k); },
         "The date \"03//01\" of this \"320\" record is not a date."},
        {CO2MassLine("1", "010229", "07", "", ""),
         [](const DatLine& l, HourKey k) { ReadCO2MassRecord(l, k); },
         "The date \"02/29/01\" of this \"330\" record is not a date."},
    };
    for (const auto& c : cases) {
        const DatLine line{c.Line, 7};
        try {
            c.Read(line, HourKey::Required);
            ADD_FAILURE() << c.Line.constData() << ": no error";
        } catch (const Error& error) {
            EXPECT_EQ(error.Line, 7);
            EXPECT_EQ(error.Message, QString::fromLatin1(c.Reason));
        }
        EXPECT_NO_THROW(c.Read(line, HourKey::NotUsed)) << c.Line.constData();
    }
    // A leap day of 2000 and an hour written with one digit are keys like any other.
    EXPECT_NO_THROW(ReadCO2MassRecord(DatLine{CO2MassLine("1", "000229", " 7", "", ""), 1}));
}
