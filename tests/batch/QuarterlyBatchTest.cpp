#include "BatchDatFiles.h"
#include "Extraction.h"
#include "ScriptedBatchUi.h"
#include "TestDatabases.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

// A listing fixed in advance, so a listed file can be missing when the batch reaches it.
class ListedNamesDirectory : public DatDirectory {
public:
    explicit ListedNamesDirectory(QStringList names) : Names(std::move(names)) {}
    QStringList List(const QString&) override { return Names; }

private:
    QStringList Names;
};

const QString Completion =
    QStringLiteral("Header information has been successufully extracted from %1 .DAT files");

class QuarterlyBatchTest : public testing::Test {
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

    QTemporaryDir Folder;
    RunState State;
    ScriptedBatchUi Ui;
};

TEST_F(QuarterlyBatchTest, PanelAppearsAfterTheFirstFileAndCountsAreRefreshedOnceAtTheEnd) {
    for (int id = 1; id <= 3; ++id)
        WriteFile(QStringLiteral("f%1.DAT").arg(id), QuarterlyLines(id));
    FileSystemDatDirectory directory;

    const BatchOutcome outcome = ExtractQuarterlyData(State, Ui, directory);

    EXPECT_TRUE(outcome.Succeeded());
    const auto isPanelShown = [](const UiCall& call) {
        return call.Kind == UiCallKind::PanelVisible && call.Value == 1;
    };
    const auto isRecordBarFull = [](const UiCall& call) {
        return call.Kind == UiCallKind::RecordProgress && call.Value == 100;
    };
    const int firstFileRead = Ui.IndexOf(isRecordBarFull);
    ASSERT_GE(firstFileRead, 0);
    EXPECT_EQ(Ui.IndexOf(isPanelShown), firstFileRead + 1);

    // After each file: panel, extracting caption, file number caption, file bar.
    const std::vector<UiCallKind> afterFirstFile{
        UiCallKind::PanelVisible, UiCallKind::ExtractingCaption, UiCallKind::FileNumberCaption,
        UiCallKind::FileProgress};
    for (std::size_t i = 0; i < afterFirstFile.size(); ++i)
        EXPECT_EQ(Ui.Calls[std::size_t(firstFileRead) + 1 + i].Kind, afterFirstFile[i]);
    EXPECT_EQ(Ui.TextsOf(UiCallKind::ExtractingCaption).first(),
              QStringLiteral("Extracting records from: f1.DAT"));
    EXPECT_EQ(Ui.TextsOf(UiCallKind::FileNumberCaption),
              QStringList({"Processing .DAT file 1 of 3", "Processing .DAT file 2 of 3",
                           "Processing .DAT file 3 of 3"}));
    EXPECT_NEAR(Ui.ValuesOf(UiCallKind::FileProgress)[0], 100.0 / 3.0, 1e-4);
    // The batch leaves the record bar to the reader: 10 and 100 per file.
    EXPECT_EQ(Ui.ValuesOf(UiCallKind::RecordProgress),
              std::vector<double>({10, 100, 10, 100, 10, 100}));

    const std::vector<UiCall> counts = Ui.Of(UiCallKind::RecordCount);
    ASSERT_EQ(counts.size(), 5u);
    const auto isLastFileBar = [](const UiCall& call) {
        return call.Kind == UiCallKind::FileProgress && call.Value == 100;
    };
    const auto isCount = [](const UiCall& call) { return call.Kind == UiCallKind::RecordCount; };
    EXPECT_GT(Ui.IndexOf(isCount), Ui.IndexOf(isLastFileBar));
    for (const UiCall& count : counts) {
        EXPECT_EQ(count.Value, count.Table == CountedTable::Emissions ? 0 : 3) << int(count.Table);
    }

    const UiCall& last = Ui.Calls.back();
    EXPECT_EQ(last.Kind, UiCallKind::Message);
    EXPECT_EQ(last.Text, Completion.arg(3));
    EXPECT_EQ(last.Icon, MessageIcon::Information);
    EXPECT_EQ(Ui.Calls[Ui.Calls.size() - 2].Kind, UiCallKind::PanelVisible);
    EXPECT_EQ(Ui.Calls[Ui.Calls.size() - 2].Value, 0);
}

TEST_F(QuarterlyBatchTest, FileMissingWhenReachedIsReportedAndTheBatchGoesOn) {
    WriteFile(QStringLiteral("a.DAT"), QuarterlyLines(1));
    WriteFile(QStringLiteral("c.DAT"), QuarterlyLines(3));
    ListedNamesDirectory directory({"a.DAT", "b.DAT", "c.DAT"});

    const BatchOutcome outcome = ExtractQuarterlyData(State, Ui, directory);

    EXPECT_EQ(outcome.FilesListed, 3);
    EXPECT_EQ(outcome.FilesExtracted, 2);
    EXPECT_FALSE(outcome.Succeeded());
    for (const char* table : {"FACILITIES", "UNITS", "FUELS", "QUARTERS"}) {
        const QString countRows = QStringLiteral("SELECT COUNT(*) FROM %1").arg(table);
        EXPECT_EQ(Rows(countRows), 2) << table;
        EXPECT_EQ(Rows(countRows + QStringLiteral(" WHERE FACILITY_ID IN (1, 3)")), 2) << table;
    }
    // The missing file still moves the panel on.
    EXPECT_EQ(Ui.TextsOf(UiCallKind::FileNumberCaption).size(), 3);

    const std::vector<UiCall> messages = Ui.Of(UiCallKind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Icon, MessageIcon::Warning);
    const QString& text = messages[0].Text;
    EXPECT_TRUE(text.startsWith(Completion.arg(2))) << text.toStdString();
    const QString failedPath = Folder.filePath(QStringLiteral("b.DAT"));
    const qsizetype named = text.indexOf(failedPath + QStringLiteral(": "));
    ASSERT_GE(named, 0) << text.toStdString();
    // Something says why after the name.
    EXPECT_GT(text.size(), named + failedPath.size() + 2);
    EXPECT_FALSE(text.contains(QStringLiteral("a.DAT")));
    EXPECT_FALSE(text.contains(QStringLiteral("c.DAT")));
}

TEST_F(QuarterlyBatchTest, UnreadableLineAbandonsOnlyItsFile) {
    WriteFile(QStringLiteral("a.DAT"), QuarterlyLines(1));
    WriteFile(QStringLiteral("b.DAT"), UnreadableQuarterlyLines(2));
    WriteFile(QStringLiteral("c.DAT"), QuarterlyLines(3));
    FileSystemDatDirectory directory;

    const BatchOutcome outcome = ExtractQuarterlyData(State, Ui, directory);

    EXPECT_EQ(outcome.FilesExtracted, 2);
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM FACILITIES")), 2);
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM FACILITIES WHERE FACILITY_ID = 2")), 0);
    const std::vector<UiCall> messages = Ui.Of(UiCallKind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Icon, MessageIcon::Warning);
    EXPECT_TRUE(messages[0].Text.contains(Folder.filePath(QStringLiteral("b.DAT")) +
                                          QStringLiteral(": Line 1")))
        << messages[0].Text.toStdString();
}

} // namespace
} // namespace tarnwick::test
