#include "dat/DatLineReader.h"
#include "dat/FieldReaders.h"
#include "dat/FileNames.h"
#include "dat/HourlyRecords.h"
#include "tests/support/DatTestFiles.h"

#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

using namespace Qt::StringLiterals;

// The message of the Error that `action` throws, which must name `line`.
QString FailureOf(const std::function<void()>& action, qint64 line = 0) {
    try {
        action();
    } catch (const Error& error) {
        EXPECT_EQ(error.Line, line) << error.Message;
        return error.Message;
    }
    ADD_FAILURE() << "no error";
    return {};
}

// The lines of a file with the content, each as "number:text".
QByteArrayList ReadAll(const QByteArray& content) {
    QTemporaryDir folder;
    DatFileReader reader(WriteBytes(folder.filePath("frame.DAT"), content));
    QByteArrayList lines;
    for (DatLine line; reader.NextLine(line);)
        lines << QByteArray::number(line.Number) + ':' + line.Text.toByteArray();
    return lines;
}

TEST(DatFileReader, LinesEndAtCrLfCrOrLfWithoutBlankLinesOrAByteOrderMark) {
    const QByteArray mark("\xEF\xBB\xBF");
    // The 1 MiB read chunk ends between CR and LF: still one line ending, not an empty line.
    const QByteArray chunk = '2' + QByteArray((1 << 20) - 2, 'x');
    const std::pair<QByteArray, QByteArrayList> cases[] = {
        {"100 A\r\n102 SMITH, INC. \"X\"\r200 B\n\n   201 C\r\n\r\n330 D",
         {"1:100 A", "2:102 SMITH, INC. \"X\"", "3:200 B", "5:201 C", "7:330 D"}},
        {"", {}},
        {"\r\n\n   \r", {}},
        {"102 CAF\xC9 \xE2\x82\xAC\n", {"1:102 CAF\xC9 \xE2\x82\xAC"}},
        {mark + " 100 A\r\n" + mark + "200 B\n", {"1:100 A", "2:" + mark + "200 B"}},
        {chunk + "\r\n330 after\r\n331\n", {"1:" + chunk, "2:330 after", "3:331"}},
    };
    for (const auto& [content, lines] : cases)
        EXPECT_EQ(ReadAll(content), lines) << content.left(40).toStdString();
    const QString missing = FailureOf([] { DatFileReader(QStringLiteral("/nonexistent/folder/X.DAT")); });
    EXPECT_TRUE(missing.contains("/nonexistent/folder/X.DAT")) << missing;
}

TEST(DatFrame, FieldsAreCutWithoutFailing) {
    EXPECT_EQ(CutField("2021234", 4, 3), "123");
    EXPECT_EQ(CutField("2021234", 6, 6), "34");
    EXPECT_TRUE(CutField("2021234", 8, 2).isEmpty());
    EXPECT_EQ(RecordType("20"), QByteArrayView());
    EXPECT_EQ(RecordType("2021234"), "202");
    EXPECT_EQ(FormatDatDate("202 1    xxxxxx010315", 16, 2), "03/15/01");
    EXPECT_EQ(FormatDatDate("504xxxxxxxxxxxxxxxx19950101", 20, 4), "01/01/1995");
    EXPECT_EQ(FormatDatDate("202 1    xxxxxx01031", 16, 2), "03/1/01");
    EXPECT_EQ(FixedText<8>(FormatDatDate("202", 16, 2)).View(), "//      ");
    EXPECT_EQ(FixedText<6>(QByteArrayView("0.12345")).View(), "0.1234");
}

TEST(DatFrame, FieldNumbersAreReadLeniently) {
    const std::pair<const char*, double> numbers[] = {
        {"  3456", 3456}, {"003456", 3456},   {"3 456", 3456}, {" -12.5x7", -12.5},
        {"1.2.3", 1.2},   {".12345", .12345}, {"1E+08", 1e8},  {"1d-2", 0.01},
        {"2E", 2},        {"5.", 5},          {"+7", 7}};
    for (const auto& [text, value] : numbers) {
        const FieldNumber number = ReadFieldNumber(text);
        EXPECT_TRUE(number.Found && !number.OutOfRange && number.Value == value) << text;
    }
    for (const char* text : {"      ", "A12", "-", "", ".", "E5"})
        EXPECT_FALSE(ReadFieldNumber(text).Found) << text;
    EXPECT_EQ(ReadCountedNumber(" 5.0", "x", 1), 5.0);
    const std::pair<const char*, double> outOfRange[] = {
        {" 1e999", INFINITY}, {"-1E999", -INFINITY}, {"1e-999", 0}};
    for (const auto& [text, value] : outOfRange) {
        EXPECT_TRUE(ReadFieldNumber(text).OutOfRange && ReadFieldNumber(text).Value == value);
        EXPECT_EQ(FailureOf([&] { ReadCountedNumber(text, "CO2 concentration", 9); }, 9),
                  QStringLiteral("The CO2 concentration \"%1\" is out of range")
                      .arg(QString::fromLatin1(text).trimmed()));
    }
    // Integers round half to even and refuse what does not fit.
    EXPECT_EQ(ReadInt32("2.5", "x", 1), 2);
    EXPECT_EQ(ReadInt32("3.5", "x", 1), 4);
    EXPECT_EQ(ReadInt32("-2147483648.4", "x", 1), -2147483647 - 1);
    EXPECT_EQ(ReadInt16("32767", "x", 1), 32767);
    EXPECT_EQ(ReadInt16("-32768", "x", 1), -32768);
    FailureOf([] { ReadInt16("32768", "year", 1); }, 1);
    FailureOf([] { ReadInt16("-32769", "year", 1); }, 1);
    FailureOf([] { ReadInt32("9E+999", "facility identifier", 12); }, 12);
}

TEST(DatFrame, FieldsAreUtf8OrLatin1AndOnlyTextFieldsDropNul) {
    const QString nulInValue = u"  12"_s + QChar(QChar::ReplacementCharacter) + u'3';
    const struct {
        QByteArray Bytes;
        QString Text;
        QString Value;
    } cases[] = {
        {"CAF\xC3\x89", "CAF\u00C9", "CAF\u00C9"},
        // Latin-1 E acute at the end is also a UTF-8 lead byte; without UTF-8 before it, Latin-1.
        {"CAF\xC9", "CAF\u00C9", "CAF\u00C9"},
        // 20 bytes cut inside a character: the cut character goes.
        {"\xC3\x89\x43OLE DES MINES DU\xC3", "\u00C9COLE DES MINES DU", {}},
        {"\xE2\x82\xAC 1 \xE2\x82", "\u20AC 1 ", {}},
        {QByteArray("A\0B\xC9", 4), "AB\u00C9", {}},
        {QByteArray("  12\0003", 6), "  123", nulInValue},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeField(c.Bytes), c.Text) << c.Bytes.toHex().constData();
        if (!c.Value.isNull()) {
            EXPECT_EQ(DecodeValueField(c.Bytes), c.Value) << c.Bytes.toHex().constData();
        }
    }
    EXPECT_EQ(DecodeFileName("\xC3\x9C.DAT"), "\u00DC.DAT");
    for (const QByteArray bytes : {"A.DAT", "B\xE9.DAT", "\xF0\x9F\x98\x80\xFF\xC3"})
        EXPECT_EQ(EncodeFileName(DecodeFileName(bytes)), bytes) << bytes.toHex().constData();
}

TEST(FacilityRecord, IdentifierOfColumns4To9ReadLeniently) {
    ReaderState state;
    const std::pair<const char*, int> cases[] = {
        {"100003456", 3456}, {"100  3456", 3456}, {"1003 456 1999", 3456}, {"100      ", 0}};
    for (const auto& [line, id] : cases) {
        ReadFacilityRecord(DatLine{line, 1}, state);
        EXPECT_EQ(state.CurrentFacilityId, id) << line;
    }
}

TEST(HourlyRecords, EveryTypeRefusesAKeyItCannotRead) {
    using Reader = std::function<void(const DatLine&, HourKey)>;
    const struct {
        QByteArray Line;
        Reader Read;
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
        EXPECT_EQ(FailureOf([&] { c.Read(line, HourKey::Required); }, 7), c.Reason);
        EXPECT_NO_THROW(c.Read(line, HourKey::NotUsed)) << c.Line.constData();
    }
    // A leap day of 2000, hours 0 and 23, an hour written with one digit are keys like any other.
    for (const char* hour : {" 7", "00", "23"})
        EXPECT_NO_THROW(ReadCO2MassRecord(DatLine{CO2MassLine("1", "000229", hour, "", ""), 1}));
}

} // namespace
