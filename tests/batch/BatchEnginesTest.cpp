#include "BatchDatFiles.h"
#include "Extraction.h"
#include "ScriptedBatchUi.h"
#include "TestDatabases.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

class BatchEnginesTest : public BothEngines {
protected:
    void SetUp() override {
        BothEngines::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(Folder.isValid());
        State.DatabasePath = FreshDatabase();
        State.DatFolder = Folder.path() + QLatin1Char('/');
    }
    void TearDown() override {
        if (State.SourcesDatabase)
            State.SourcesDatabase->Close();
        BothEngines::TearDown();
    }

    void WriteFile(const QString& name, const QByteArrayList& lines) {
        WriteLines(Folder.filePath(name), lines);
    }

    qint64 Rows(const QString& sql) const {
        return QueryValue(State.DatabasePath, sql).toLongLong();
    }

    QTemporaryDir Folder;
    RunState State;
    FileSystemDatDirectory Directory;
};

TEST_P(BatchEnginesTest, QuarterlyThenHourlyOverOneFolder) {
    WriteFile(QStringLiteral("a.DAT"), QuarterlyLines(11) + HourlyLines(11, 3));
    WriteFile(QStringLiteral("B.dat"), QuarterlyLines(12) + HourlyLines(12, 2));

    ScriptedBatchUi quarterlyUi;
    EXPECT_TRUE(ExtractQuarterlyData(State, quarterlyUi, Directory).Succeeded());
    ScriptedBatchUi hourlyUi;
    EXPECT_TRUE(ExtractHourlyData(State, hourlyUi, Directory).Succeeded());

    for (const char* table : {"FACILITIES", "UNITS", "FUELS", "QUARTERS"})
        EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)), 2) << table;
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM EMISSIONS WHERE FACILITY_ID = 11")), 3);
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM EMISSIONS WHERE FACILITY_ID = 12")), 2);
    EXPECT_EQ(hourlyUi.Calls.back().Text,
              QStringLiteral("Hourly emissions data has been successufully extracted from 2 "
                             ".DAT files"));
    EXPECT_EQ(quarterlyUi.Calls.back().Text,
              QStringLiteral("Header information has been successufully extracted from 2 "
                             ".DAT files"));
    // The hourly batch showed the header rows of the quarterly one.
    const std::vector<UiCall> counts = hourlyUi.Of(UiCallKind::RecordCount);
    ASSERT_FALSE(counts.empty());
    EXPECT_EQ(counts.front().Table, CountedTable::Facilities);
    EXPECT_EQ(counts.front().Value, 2);
}

TEST_P(BatchEnginesTest, HourlyFailureKeepsTheRowsWrittenBeforeIt) {
    WriteFile(QStringLiteral("a.DAT"), HourlyLines(21, 2));
    WriteFile(QStringLiteral("b.DAT"),
              {FacilityLine(FacilityId(22)),
               NOxConcLine("1", "010315", "05", "  45.2", "  45.0", "100.0"),
               NOxConcLine("1", "010315", "06", " 1e999", "  45.0", "100.0")});
    WriteFile(QStringLiteral("c.DAT"), HourlyLines(23, 1));
    ScriptedBatchUi ui;

    const BatchOutcome outcome = ExtractHourlyData(State, ui, Directory);

    EXPECT_TRUE(outcome.Stopped);
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM EMISSIONS WHERE FACILITY_ID = 21")), 2);
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM EMISSIONS WHERE FACILITY_ID = 22")), 1);
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) FROM EMISSIONS WHERE FACILITY_ID = 23")), 0);
    ASSERT_EQ(ui.Of(UiCallKind::Message).size(), 1u);
    EXPECT_EQ(ui.Of(UiCallKind::Message)[0].Icon, MessageIcon::Critical);
}

TARNWICK_INSTANTIATE_BOTH_ENGINES(BatchEnginesTest);

} // namespace
} // namespace tarnwick::test
