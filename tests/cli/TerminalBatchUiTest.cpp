#include "cli/TerminalBatchUi.h"

#include <gtest/gtest.h>
#include <sstream>

namespace tarnwick::test {
namespace {

FileStep Step(int i, int n, const char* name) {
    return {i,
            n,
            QString::fromLatin1(name),
            QStringLiteral("Processing .DAT file %1 of %2").arg(i).arg(n),
            QStringLiteral("Extracting records from: ") + QLatin1String(name),
            float(i) / float(n) * 100.0f};
}

class TerminalBatchUiTest : public testing::Test {
protected:
    std::string Out() const { return OutStream.str(); }
    std::string Err() const { return ErrStream.str(); }

    std::ostringstream OutStream;
    std::ostringstream ErrStream;
};

TEST_F(TerminalBatchUiTest, PlainOutputHasOneLinePerFileAndCountsInformationLast) {
    TerminalBatchUi ui(OutStream, ErrStream, false);
    ui.FileStarting(Step(1, 2, "a.DAT"));
    ui.SetRecordProgress(50);
    ui.FileExtracted(Step(2, 2, "b.DAT"));
    ui.ShowMessage(QStringLiteral("done"), MessageIcon::Information);
    ui.ShowMessage(QStringLiteral("partly"), MessageIcon::Warning);
    EXPECT_EQ(Err(), "Processing .DAT file 1 of 2: a.DAT\nProcessing .DAT file 2 of 2: b.DAT\n"
                     "partly\n");
    EXPECT_EQ(Out(), "");
    ui.ReleaseInformation(true);
    EXPECT_EQ(Out(), "done\n");

    std::ostringstream out, err;
    TerminalBatchUi failed(out, err, false);
    failed.ShowMessage(QStringLiteral("no files"), MessageIcon::Information);
    EXPECT_EQ(failed.AskText("folder?", "title", "default"), std::nullopt);
    failed.ReleaseInformation(false);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "no files\n");
}

TEST_F(TerminalBatchUiTest, TerminalRedrawsOneLineWithTheFileItsBarAndRate) {
    TerminalBatchUi ui(OutStream, ErrStream, true);
    ui.SetRecordProgress(10); // no file yet: nothing drawn
    EXPECT_EQ(Err(), "");
    ui.FileStarting(Step(1, 2, "long-name.DAT"));
    ui.SetRecordProgress(50);
    const std::string half = Err().substr(Err().rfind('\r') + 1);
    EXPECT_EQ(half, "file 1 of 2  long-name.DAT  [######" + std::string(18, '.') + "]");
    ui.RecordsWritten(1000);
    ui.FileStarting(Step(2, 2, "b.DAT"));
    const std::string second = Err().substr(Err().rfind('\r') + 1);
    EXPECT_EQ(second.rfind("file 2 of 2  b.DAT  [############............]", 0), 0u) << second;
    EXPECT_NE(second.find(" records/s"), std::string::npos) << second;
    // A shorter line blanks what is left of the longer one before it.
    EXPECT_GE(second.size(), half.size());
    ui.ShowMessage(QStringLiteral("stopped"), MessageIcon::Critical);
    EXPECT_EQ(Err().substr(Err().size() - 9), "\nstopped\n");
}

TEST_F(TerminalBatchUiTest, RateAndTimeLeftFollowTheClockFromTheFirstFile) {
    double now = 100;
    TerminalBatchUi ui(OutStream, ErrStream, true, {}, [&] { return now; });
    ui.FileStarting(Step(1, 4, "a.DAT"));
    ui.RecordsWritten(1000);
    const struct {
        double Seconds;
        float Progress;
        const char* Tail;
    } cases[] = {
        {0, 10, "]"}, // no time has passed: no rate yet
        {0.5, 50, "]  2000 records/s"},
        {4, 100, "]  250 records/s  0:12 left"},
    };
    for (const auto& c : cases) {
        now = 100 + c.Seconds;
        ui.SetRecordProgress(c.Progress);
        std::string line = Err().substr(Err().rfind('\r') + 1);
        line.erase(line.find_last_not_of(' ') + 1);
        EXPECT_TRUE(line.ends_with(c.Tail)) << line;
    }
    // Skipped files take no time: the one left takes as long as the one read.
    ui.FileSkipped(Step(2, 4, "b.DAT"));
    ui.FileSkipped(Step(3, 4, "c.DAT"));
    const std::string line = Err().substr(Err().rfind('\r') + 1);
    EXPECT_EQ(
        line.rfind("file 3 of 4  c.DAT  [##################......]  250 records/s  0:04 left", 0),
        0u)
        << line;
}

TEST_F(TerminalBatchUiTest, StopsWhenAskedAndRemembersTheCounts) {
    bool asked = false;
    TerminalBatchUi ui(OutStream, ErrStream, false, [&] { return asked; });
    EXPECT_FALSE(ui.StopRequested());
    asked = true;
    EXPECT_TRUE(ui.StopRequested());
    ui.RecordCounted(CountedTable::Emissions, 1234567);
    EXPECT_EQ(ui.RecordCount(CountedTable::Emissions), 1234567);
    EXPECT_EQ(ui.RecordCount(CountedTable::Facilities), 0);
}

} // namespace
} // namespace tarnwick::test
