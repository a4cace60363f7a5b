#include "TerminalBatchUi.h"

#include <gtest/gtest.h>
#include <sstream>

namespace tarnwick::test {
namespace {

class TerminalBatchUiTest : public testing::Test {
protected:
    // The calls of the hourly batch for one file, as far as the reader's first progress.
    static void StartHourlyFile(TerminalBatchUi& ui, int i, int n, const QString& name) {
        ui.SetRecordProgress(10);
        ui.SetProgressPanelVisible(true);
        ui.SetFileNumberCaption(QStringLiteral("Processing .DAT file %1 of %2").arg(i).arg(n));
        ui.SetExtractingCaption(QStringLiteral("Extracting records from: ") + name);
        ui.SetFileProgress(float(i) / float(n) * 100.0f);
    }

    std::string Out() const { return OutStream.str(); }
    std::string Err() const { return ErrStream.str(); }

    std::ostringstream OutStream;
    std::ostringstream ErrStream;
};

TEST_F(TerminalBatchUiTest, PlainOutputHasOneLinePerFile) {
    TerminalBatchUi ui(OutStream, ErrStream, false);
    StartHourlyFile(ui, 1, 2, QStringLiteral("a.DAT"));
    ui.SetRecordProgress(50);
    StartHourlyFile(ui, 2, 2, QStringLiteral("b.DAT"));
    ui.SetProgressPanelVisible(false);

    EXPECT_EQ(Err(), "Processing .DAT file 1 of 2: a.DAT\nProcessing .DAT file 2 of 2: b.DAT\n");
    EXPECT_EQ(Out(), "");
}

TEST_F(TerminalBatchUiTest, InformationWaitsForTheOutcomeOfTheCommand) {
    TerminalBatchUi succeeded(OutStream, ErrStream, false);
    succeeded.ShowMessage(QStringLiteral("done"), MessageIcon::Information);
    EXPECT_EQ(Out(), "");
    succeeded.ReleaseInformation(true);
    EXPECT_EQ(Out(), "done\n");
    EXPECT_EQ(Err(), "");

    std::ostringstream out;
    std::ostringstream err;
    TerminalBatchUi failed(out, err, false);
    failed.ShowMessage(QStringLiteral("no files"), MessageIcon::Information);
    failed.ReleaseInformation(false);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "no files\n");
}

TEST_F(TerminalBatchUiTest, WarningsAndErrorsGoToTheErrorStreamAtOnce) {
    TerminalBatchUi ui(OutStream, ErrStream, false);
    ui.ShowMessage(QStringLiteral("partly"), MessageIcon::Warning);
    ui.ShowMessage(QStringLiteral("stopped"), MessageIcon::Critical);
    EXPECT_EQ(Err(), "partly\nstopped\n");
    ui.ReleaseInformation(true);
    EXPECT_EQ(Out(), "");
}

TEST_F(TerminalBatchUiTest, QuestionsAreAnsweredAsCancelled) {
    TerminalBatchUi ui(OutStream, ErrStream, true);
    EXPECT_EQ(
        ui.AskText(QStringLiteral("folder?"), QStringLiteral("title"), QStringLiteral("default")),
        std::nullopt);
    EXPECT_EQ(Out(), "");
    EXPECT_EQ(Err(), "");
}

TEST_F(TerminalBatchUiTest, TerminalRedrawsOneLineInPlaceAndEndsItBeforeAMessage) {
    TerminalBatchUi ui(OutStream, ErrStream, true);
    ui.SetRecordProgress(10); // panel still hidden: nothing drawn
    EXPECT_EQ(Err(), "");

    StartHourlyFile(ui, 1, 1, QStringLiteral("a.DAT"));
    ui.SetRecordProgress(100);
    ui.SetProgressPanelVisible(false);
    ui.ShowMessage(QStringLiteral("stopped"), MessageIcon::Critical);

    const std::string bar10 = "[###" + std::string(27, '.') + "]  10%";
    const std::string bar100 = "[" + std::string(30, '#') + "] 100%";
    EXPECT_EQ(Err(), "\rProcessing .DAT file 1 of 1: a.DAT " + bar10 +
                         "\rProcessing .DAT file 1 of 1: a.DAT " + bar100 + "\nstopped\n");
}

TEST_F(TerminalBatchUiTest, ShorterRedrawBlanksTheRestOfTheLongerOne) {
    TerminalBatchUi ui(OutStream, ErrStream, true);
    StartHourlyFile(ui, 1, 2, QStringLiteral("long-name.DAT"));
    const std::size_t longWidth = Err().size() - 1; // without the leading \r
    StartHourlyFile(ui, 2, 2, QStringLiteral("b.DAT"));

    const std::string err = Err();
    const std::string second = err.substr(err.rfind('\r') + 1);
    EXPECT_EQ(second.size(), longWidth);
    EXPECT_EQ(second.substr(second.size() - 8), std::string(8, ' '));
}

TEST_F(TerminalBatchUiTest, RemembersTheCountsWithTheWindowsCaptions) {
    TerminalBatchUi ui(OutStream, ErrStream, false);
    ui.ShowRecordCount(CountedTable::Quarters, 12);
    ui.ShowRecordCount(CountedTable::Emissions, 1234567);
    EXPECT_EQ(ui.RecordCount(CountedTable::Quarters), 12);
    EXPECT_EQ(ui.RecordCount(CountedTable::Emissions), 1234567);
    EXPECT_EQ(ui.RecordCount(CountedTable::Facilities), 0);
    EXPECT_EQ(RecordCountCaption(CountedTable::Facilities), QStringLiteral("Facilities records:"));
    EXPECT_EQ(RecordCountCaption(CountedTable::Units), QStringLiteral("Unit records:"));
    EXPECT_EQ(RecordCountCaption(CountedTable::Fuels), QStringLiteral("Fuel records:"));
    EXPECT_EQ(RecordCountCaption(CountedTable::Quarters), QStringLiteral("Quarterly Records:"));
    EXPECT_EQ(RecordCountCaption(CountedTable::Emissions), QStringLiteral("Hourly Records:"));
}

} // namespace
} // namespace tarnwick::test
