#include "BatchDatFiles.h"
#include "Extraction.h"
#include "ScriptedBatchUi.h"
#include "TestDatabases.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

class HourlyBatchTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Folder.isValid());
        State.DatabasePath = ScratchSqliteDatabase();
        State.DatFolder = Folder.path() + QLatin1Char('/');
    }

    void WriteFile(const QString& name, const QByteArrayList& lines) {
        WriteLines(Folder.filePath(name), lines);
    }

    qint64 Rows(const QString& sql) const {
        return QueryValue(State.DatabasePath, sql).toLongLong();
    }

    BatchOutcome Extract() { return ExtractHourlyData(State, Ui, Directory); }

    QTemporaryDir Folder;
    RunState State;
    ScriptedBatchUi Ui;
    FileSystemDatDirectory Directory;
};

TEST_F(HourlyBatchTest, FourFilesShowTheirProgressAndTheCompletionMessage) {
    // File k holds k hourly rows, so the running totals are 1, 3, 6 and 10.
    for (int k = 1; k <= 4; ++k)
        WriteFile(QStringLiteral("f%1.DAT").arg(k), HourlyLines(100 + k, k));

    const BatchOutcome outcome = Extract();

    EXPECT_TRUE(outcome.Succeeded());
    EXPECT_EQ(outcome.FilesExtracted, 4);
    EXPECT_EQ(Ui.TextsOf(UiCallKind::FileNumberCaption),
              QStringList({"Processing .DAT file 1 of 4", "Processing .DAT file 2 of 4",
                           "Processing .DAT file 3 of 4", "Processing .DAT file 4 of 4"}));
    EXPECT_EQ(Ui.TextsOf(UiCallKind::ExtractingCaption),
              QStringList({"Extracting records from: f1.DAT", "Extracting records from: f2.DAT",
                           "Extracting records from: f3.DAT", "Extracting records from: f4.DAT"}));
    EXPECT_EQ(Ui.ValuesOf(UiCallKind::FileProgress), std::vector<double>({25, 50, 75, 100}));

    // 10 before each file, then one seventh more after each of the seven writers.
    const std::vector<double> recordProgress = Ui.ValuesOf(UiCallKind::RecordProgress);
    ASSERT_EQ(recordProgress.size(), 4u * 8u);
    for (std::size_t file = 0; file < 4; ++file) {
        EXPECT_EQ(recordProgress[file * 8], 10);
        for (std::size_t writer = 1; writer <= 7; ++writer)
            EXPECT_NEAR(recordProgress[file * 8 + writer], writer * 100.0 / 7.0, 1e-4);
    }

    ASSERT_GE(Ui.Calls.size(), 2u);
    const UiCall& last = Ui.Calls.back();
    EXPECT_EQ(last.Kind, UiCallKind::Message);
    EXPECT_EQ(
        last.Text,
        QStringLiteral("Hourly emissions data has been successufully extracted from 4 .DAT files"));
    EXPECT_EQ(last.Icon, MessageIcon::Information);
    const UiCall& beforeLast = Ui.Calls[Ui.Calls.size() - 2];
    EXPECT_EQ(beforeLast.Kind, UiCallKind::PanelVisible);
    EXPECT_EQ(beforeLast.Value, 0);
    EXPECT_EQ(Ui.Of(UiCallKind::Message).size(), 1u);
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM EMISSIONS")), 10);
}

TEST_F(HourlyBatchTest, EachFileStartsWithBarCountsPanelCaptionsAndFileBarInThatOrder) {
    WriteFile(QStringLiteral("only.DAT"), HourlyLines(7, 1));

    Extract();

    const std::vector<UiCallKind> expected{
        UiCallKind::RecordProgress, UiCallKind::RecordCount,       UiCallKind::RecordCount,
        UiCallKind::RecordCount,    UiCallKind::RecordCount,       UiCallKind::RecordCount,
        UiCallKind::PanelVisible,   UiCallKind::FileNumberCaption, UiCallKind::ExtractingCaption,
        UiCallKind::FileProgress,   UiCallKind::RecordProgress,
    };
    ASSERT_GE(Ui.Calls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(Ui.Calls[i].Kind, expected[i]) << "call " << i;
    const std::vector<UiCall> counts = Ui.Of(UiCallKind::RecordCount);
    EXPECT_EQ(counts[0].Table, CountedTable::Facilities);
    EXPECT_EQ(counts[1].Table, CountedTable::Units);
    EXPECT_EQ(counts[2].Table, CountedTable::Fuels);
    EXPECT_EQ(counts[3].Table, CountedTable::Quarters);
    EXPECT_EQ(counts[4].Table, CountedTable::Emissions);
    EXPECT_EQ(Ui.Calls[6].Value, 1);
    EXPECT_EQ(Ui.Calls[7].Text, QStringLiteral("Processing .DAT file 1 of 1"));
    EXPECT_EQ(Ui.Calls[9].Value, 100);
    EXPECT_EQ(
        Ui.Calls.back().Text,
        QStringLiteral("Hourly emissions data has been successufully extracted from 1 .DAT files"));
}

TEST_F(HourlyBatchTest, CountsShownWhileAFileIsReadLagOneFileAndAreNotRefreshedAfterTheLast) {
    for (int k = 1; k <= 4; ++k)
        WriteFile(QStringLiteral("f%1.DAT").arg(k), HourlyLines(100 + k, k));

    Extract();

    std::vector<double> emissionsShown;
    for (const UiCall& call : Ui.Of(UiCallKind::RecordCount)) {
        if (call.Table == CountedTable::Emissions)
            emissionsShown.push_back(call.Value);
    }
    EXPECT_EQ(emissionsShown, std::vector<double>({0, 1, 3, 6}));

    const auto isLastFile = [](const UiCall& call) {
        return call.Kind == UiCallKind::FileNumberCaption &&
               call.Text == QStringLiteral("Processing .DAT file 4 of 4");
    };
    const int lastFile = Ui.IndexOf(isLastFile);
    ASSERT_GE(lastFile, 0);
    const auto isCount = [](const UiCall& call) { return call.Kind == UiCallKind::RecordCount; };
    EXPECT_EQ(Ui.IndexOf(isCount, lastFile), -1);
}

TEST_F(HourlyBatchTest, FailingStatementStopsTheBatchAndKeepsWhatWasWritten) {
    WriteFile(QStringLiteral("a.DAT"), HourlyLines(1, 2));
    // Line 3 holds a concentration beyond the range of a double, which no database takes.
    WriteFile(QStringLiteral("b.DAT"),
              {FacilityLine(FacilityId(2)),
               NOxConcLine("1", "010315", "05", "  45.2", "  45.0", "100.0"),
               NOxConcLine("1", "010315", "07", " 1e999", "  45.0", "100.0"),
               NOxConcLine("1", "010315", "06", "  45.2", "  45.0", "100.0")});
    WriteFile(QStringLiteral("c.DAT"), HourlyLines(3, 1));

    const BatchOutcome outcome = Extract();

    EXPECT_TRUE(outcome.Stopped);
    EXPECT_EQ(outcome.FilesListed, 3);
    EXPECT_EQ(outcome.FilesExtracted, 1);
    EXPECT_FALSE(outcome.Succeeded());

    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM EMISSIONS WHERE FACILITY_ID = 1")), 2);
    // The record before the failing one was written; the one after it was not.
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM EMISSIONS WHERE FACILITY_ID = 2")), 1);
    EXPECT_EQ(Rows(QStringLiteral("SELECT DATA_HOUR FROM EMISSIONS WHERE FACILITY_ID = 2")), 5);
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM EMISSIONS WHERE FACILITY_ID = 3")), 0);

    EXPECT_EQ(Ui.TextsOf(UiCallKind::FileNumberCaption),
              QStringList({"Processing .DAT file 1 of 3", "Processing .DAT file 2 of 3"}));
    const std::vector<UiCall> messages = Ui.Of(UiCallKind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Icon, MessageIcon::Critical);
    EXPECT_TRUE(messages[0].Text.contains(Folder.filePath(QStringLiteral("b.DAT"))))
        << messages[0].Text.toStdString();
    EXPECT_TRUE(messages[0].Text.contains(QStringLiteral("Line 3")))
        << messages[0].Text.toStdString();
    EXPECT_FALSE(messages[0].Text.contains(QStringLiteral("successufully")));
    ASSERT_GE(Ui.Calls.size(), 2u);
    EXPECT_EQ(Ui.Calls[Ui.Calls.size() - 2].Kind, UiCallKind::PanelVisible);
    EXPECT_EQ(Ui.Calls[Ui.Calls.size() - 2].Value, 0);
    EXPECT_EQ(Ui.Calls.back().Kind, UiCallKind::Message);
}

TEST_F(HourlyBatchTest, UnopenableDatabaseStopsTheBatchBeforeTheFirstFile) {
    WriteFile(QStringLiteral("a.DAT"), HourlyLines(1, 1));
    State.DatabasePath = Folder.filePath(QStringLiteral("missing/Sources.db"));

    const BatchOutcome outcome = Extract();

    EXPECT_TRUE(outcome.Stopped);
    EXPECT_EQ(outcome.FilesExtracted, 0);
    EXPECT_TRUE(Ui.Of(UiCallKind::FileNumberCaption).empty());
    const std::vector<UiCall> messages = Ui.Of(UiCallKind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Icon, MessageIcon::Critical);
}

} // namespace
} // namespace tarnwick::test
