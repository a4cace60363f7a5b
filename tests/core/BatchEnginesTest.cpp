#include "tests/support/ScriptedBatchUi.h"

#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

class BatchEnginesTest : public BothEngines {
protected:
    void SetUp() override {
        BothEngines::SetUp();
        if (!IsSkipped())
            Run.State.DatabasePath = FreshDatabase();
    }

    DatRun Run;
};

const QString WriterSteps =
    QStringLiteral("progress 14.2857 28.5714 42.8571 57.1429 71.4286 85.7143 100");

TEST_P(BatchEnginesTest, QuarterlyThenHourlyOverOneFolderShowEachStepInOrder) {
    Run.Write(QStringLiteral("a.DAT"), QuarterlyLines(11) + HourlyLines(11, 1));
    // Every hourly type for 07:00, then hours 1 and 2: nine records, three rows.
    Run.Write(QStringLiteral("B.dat"),
              QuarterlyLines(12) + EachHourlyType() + HourlyLines(12, 2).mid(1));

    ScriptedBatchUi quarterly;
    EXPECT_TRUE(Run.Extract(ExtractQuarterlyData, quarterly).Succeeded());
    // The panel shows each file once read; the counts are refreshed once, at the end.
    EXPECT_EQ(quarterly.Calls,
              QStringList({
                  "progress 10 100",
                  "extracted Processing .DAT file 1 of 2 | Extracting records from: a.DAT | 50",
                  "progress 10 100",
                  "extracted Processing .DAT file 2 of 2 | Extracting records from: B.dat | 100",
                  "counts facilities 2, units 2, fuels 2, quarters 2, emissions 0",
                  "finished",
                  "information: Header information has been successufully extracted from 2 .DAT "
                  "files",
              }));

    ScriptedBatchUi hourly;
    EXPECT_TRUE(Run.Extract(ExtractHourlyData, hourly).Succeeded());
    // Before each file the counts as they stand: they lag one file and are not refreshed after
    // the last. Then a seventh of the record bar after each of the seven writers.
    EXPECT_EQ(hourly.Calls,
              QStringList({
                  "progress 10",
                  "counts facilities 2, units 2, fuels 2, quarters 2, emissions 0",
                  "starting Processing .DAT file 1 of 2 | Extracting records from: a.DAT | 50",
                  WriterSteps,
                  "written 1",
                  "progress 10",
                  "counts facilities 2, units 2, fuels 2, quarters 2, emissions 1",
                  "starting Processing .DAT file 2 of 2 | Extracting records from: B.dat | 100",
                  WriterSteps,
                  "written 9",
                  "finished",
                  "information: Hourly emissions data has been successufully extracted from 2 "
                  ".DAT files",
              }));
    EXPECT_EQ(Run.Rows("EMISSIONS", FacilityIs(11)), 1);
    EXPECT_EQ(Run.Rows("EMISSIONS", FacilityIs(12)), 3);
}

TEST_P(BatchEnginesTest, StopAskedBetweenFilesEndsTheBatchAfterACompleteFile) {
    for (int id = 1; id <= 3; ++id)
        Run.Write(QStringLiteral("f%1.DAT").arg(id), QuarterlyLines(id) + HourlyLines(id, 1));
    const std::tuple<Extraction, const char*, int> batches[] = {
        {ExtractQuarterlyData, "Header information", 0},
        {ExtractHourlyData, "Hourly emissions data", 1}};
    for (const auto& [extract, data, emissions] : batches) {
        ScriptedBatchUi ui;
        ui.StopAt = 1;
        const BatchOutcome outcome = Run.Extract(extract, ui);
        EXPECT_TRUE(outcome.Cancelled);
        EXPECT_EQ(outcome.FilesExtracted, 1);
        // The counts show the file done.
        EXPECT_EQ(ui.Calls.mid(ui.Calls.size() - 3),
                  QStringList({"counts facilities 1, units 1, fuels 1, quarters 1, emissions " +
                                   QString::number(emissions),
                               "finished",
                               "information: " + QLatin1String(data) +
                                   " has been successufully extracted from 1 .DAT files\n\nThe "
                                   "batch was stopped as asked; the remaining 2 of 3 .DAT files "
                                   "were not processed."}));
    }
}

TARNWICK_INSTANTIATE_BOTH_ENGINES(BatchEnginesTest);

} // namespace
} // namespace tarnwick::test
