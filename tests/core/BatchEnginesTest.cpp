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
    // Before each file the counts after the file before it, and at the end those of the tables.
    // A seventh of the record bar after each of the seven writers.
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
                  "counts facilities 2, units 2, fuels 2, quarters 2, emissions 4",
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

// Checks that the counts shown before each hourly file and at a batch's end are what the
// tables hold then.
class CountCheckingUi : public ScriptedBatchUi {
public:
    explicit CountCheckingUi(const DatRun& run) : Run(run) {}
    void RecordCounted(CountedTable table, qint64 count) override {
        ScriptedBatchUi::RecordCounted(table, count);
        Counts.at(std::size_t(table)) = count;
    }
    void FileStarting(const FileStep& step) override {
        ScriptedBatchUi::FileStarting(step);
        Check(step.FileName);
    }
    void BatchFinished(const BatchOutcome& outcome) override {
        ScriptedBatchUi::BatchFinished(outcome);
        Check(QStringLiteral("the end"));
    }

private:
    void Check(const QString& when) {
        const char* const tables[] = {"FACILITIES", "UNITS", "FUELS", "QUARTERS", "EMISSIONS"};
        for (std::size_t i = 0; i < Counts.size(); ++i)
            EXPECT_EQ(Counts.at(i), Run.Rows(tables[i])) << tables[i] << " before " << when;
    }
    const DatRun& Run;
    std::array<qint64, 5> Counts{};
};

TEST_P(BatchEnginesTest, CountsShownAreThoseOfTheTablesAfterEveryFile) {
    Run.Write(QStringLiteral("f1.DAT"), QuarterlyLines(1) + HourlyLines(1, 3));
    // Hours 1 to 3 are there already: their keys are skipped.
    Run.Write(QStringLiteral("f2.DAT"), HourlyLines(1, 5) + QuarterlyLines(1));
    Run.Write(QStringLiteral("f3.DAT"), HourlyLines(2, 2) + EachHourlyType());
    const auto run = [&](Extraction extract, int stopAt = 0) {
        CountCheckingUi ui(Run);
        ui.StopAt = stopAt;
        return Run.Extract(extract, ui);
    };
    EXPECT_TRUE(run(ExtractHourlyData).Succeeded());
    EXPECT_TRUE(run(ExtractQuarterlyData).Succeeded());
    EXPECT_TRUE(run(ExtractHourlyData).Succeeded()); // the same folder again: nothing added
    EXPECT_EQ(Run.Rows("EMISSIONS"), 8);

    // A file that fails after some of its rows, and a batch stopped after a file.
    Run.Write(QStringLiteral("f4.DAT"),
              HourlyLines(4, 2) + QByteArrayList{CO2ConcLine("1", "010315", "09", " 1e999", "")});
    EXPECT_TRUE(run(ExtractHourlyData).Stopped);
    EXPECT_EQ(Run.Rows("EMISSIONS", FacilityIs(4)), 2);
    Run.Write(QStringLiteral("f0.DAT"), HourlyLines(5, 4));
    EXPECT_TRUE(run(ExtractHourlyData, 2).Cancelled);
    EXPECT_EQ(Run.Rows("EMISSIONS", FacilityIs(5)), 4);
}

// Another program drops a column and adds it again, in the middle of the table and at its end,
// between two files or inside one before its first row: the files after store their values.
TEST_P(BatchEnginesTest, AColumnDroppedAndAddedAgainDuringABatchTakesTheNextFilesValues) {
    for (const float moment : {100.0f, 14.2857f}) {
        DatRun run;
        run.State.DatabasePath = FreshDatabase();
        for (int id = 1; id <= 3; ++id)
            run.Write(QStringLiteral("f%1.DAT").arg(id), HourlyLines(id, 2) + EachHourlyType());
        ScriptedBatchUi ui;
        ui.OnRecordProgress = [&](float value) {
            if (ui.FilesWritten != 1 || qAbs(value - moment) > 0.01f)
                return;
            for (const char* column : {"NOX_AVG_PPM_PER_HOUR", "CO2_MASS_TON_HOUR_TOTAL"}) {
                RunSql(run.State.DatabasePath,
                       QStringLiteral("ALTER TABLE EMISSIONS DROP COLUMN %1").arg(column));
                RunSql(run.State.DatabasePath,
                       QStringLiteral("ALTER TABLE EMISSIONS ADD COLUMN %1 DOUBLE PRECISION").arg(column));
            }
        };
        EXPECT_TRUE(run.Extract(ExtractHourlyData, ui).Succeeded()) << ui.Messages().toStdString();
        const QString later = QStringLiteral("FACILITY_ID > 1 AND ");
        EXPECT_EQ(run.Rows("EMISSIONS", later + "NOX_AVG_PPM_PER_HOUR IS NULL"), 0) << moment;
        EXPECT_EQ(run.Rows("EMISSIONS", later + "CO2_MASS_TON_HOUR_TOTAL = 12.346"), 2) << moment;
    }
}

TARNWICK_INSTANTIATE_BOTH_ENGINES(BatchEnginesTest);

} // namespace
} // namespace tarnwick::test
