#include "tests/support/ScriptedBatchUi.h"
#include "tests/support/ZipFiles.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

QByteArray Content(const QByteArrayList& lines) {
    return lines.join("\r\n") + "\r\n";
}

class ArchiveBatchTest : public BothEngines {
protected:
    // A new run over a new folder and database.
    DatRun& NewRun() {
        Runs.push_back(std::make_unique<DatRun>());
        Runs.back()->State.DatabasePath = FreshDatabase();
        return *Runs.back();
    }
    static void Zip(DatRun& run, const QString& name, const std::vector<ZipEntry>& entries) {
        QDir().mkpath(QFileInfo(run.Path(name)).path());
        WriteZip(run.Path(name), entries);
    }
    static QList<QVariantList> Loads(const DatRun& run, const QString& columns) {
        return QueryRows(run.State.DatabasePath,
                         QStringLiteral("SELECT %1 FROM LOADS ORDER BY LOADED_AT").arg(columns));
    }
    static QStringList Steps(const ScriptedBatchUi& ui) {
        return ui.Calls.filter(QRegularExpression(QStringLiteral("^(starting|extracted) ")));
    }

    std::vector<std::unique_ptr<DatRun>> Runs;
};

const QByteArrayList F1 = QuarterlyLines(1) + HourlyLines(1, 2);
const QByteArrayList F2 = HourlyLines(2, 3).mid(1) + EachHourlyType(); // facility carried in
const QByteArrayList F3 = QuarterlyLines(3) + HourlyLines(3, 1);

TEST_P(ArchiveBatchTest, ZipMembersLoadAndShowExactlyWhatTheSameFilesUnzippedDo) {
    DatRun& plain = NewRun();
    plain.Write(QStringLiteral("f1.DAT"), F1);
    plain.Write(QStringLiteral("f2.DAT"), F2);
    plain.Write(QStringLiteral("f3.DAT"), F3);
    DatRun& zipped = NewRun();
    Zip(zipped, QStringLiteral("a.zip"), {{"f1.DAT", Content(F1)}});
    Zip(zipped, QStringLiteral("b.ZIP"), {{"f3.DAT", Content(F3)}, {"f2.DAT", Content(F2)}});
    for (const Extraction extract : {ExtractQuarterlyData, ExtractHourlyData}) {
        ScriptedBatchUi plainUi, zippedUi;
        EXPECT_TRUE(plain.Extract(extract, plainUi).Succeeded());
        EXPECT_TRUE(zipped.Extract(extract, zippedUi).Succeeded()) << zippedUi.Messages();
        EXPECT_EQ(zippedUi.Calls.replaceInStrings(QRegularExpression("[ab]\\.(zip|ZIP):"), ""),
                  plainUi.Calls);
    }
    for (const char* table : {"EMISSIONS", "FACILITIES", "UNITS", "FUELS", "QUARTERS"}) {
        const QString sql = QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2, 3").arg(table);
        EXPECT_EQ(QueryRows(zipped.State.DatabasePath, sql),
                  QueryRows(plain.State.DatabasePath, sql))
            << table;
    }
    const QString loaded = QStringLiteral("BATCH, SIZE_BYTES, SHA256, FACILITY_ID, "
                                          "EMISSIONS_ADDED, FACILITIES_ADDED, QUARTERS_ADDED");
    EXPECT_EQ(Loads(zipped, loaded), Loads(plain, loaded));
    EXPECT_EQ(Loads(zipped, QStringLiteral("PATH, MEMBER")).last(),
              QVariantList({zipped.Path(QStringLiteral("b.ZIP")), QStringLiteral("f3.DAT")}));
}

TEST_P(ArchiveBatchTest, SubfoldersLoadInNaturalOrderCarryingTheFacilityAcrossThem) {
    DatRun& run = NewRun();
    run.State.IncludeSubfolders = true;
    QDir(run.Folder.path()).mkpath(QStringLiteral("1999/q4"));
    QDir(run.Folder.path()).mkpath(QStringLiteral("2000/q10"));
    run.Write(QStringLiteral("1999/q4/c.DAT"), HourlyLines(5, 1));
    Zip(run, QStringLiteral("2000/q2/a.zip"), {{"a.DAT", Content(HourlyLines(7, 1))}});
    run.Write(QStringLiteral("2000/q10/b.DAT"), HourlyLines(9, 4).mid(1)); // no "100" record
    ScriptedBatchUi ui;
    EXPECT_TRUE(run.Extract(ExtractHourlyData, ui).Succeeded());
    QStringList names;
    for (const QString& step : Steps(ui))
        names << step.section(QStringLiteral(" | "), 1, 1);
    EXPECT_EQ(names, QStringList({"Extracting records from: 1999/q4/c.DAT",
                                  "Extracting records from: 2000/q2/a.zip:a.DAT",
                                  "Extracting records from: 2000/q10/b.DAT"}));
    EXPECT_EQ(run.Rows("EMISSIONS", FacilityIs(7)), 4);
    EXPECT_EQ(run.Rows("EMISSIONS", FacilityIs(9)), 0);
}

TEST_P(ArchiveBatchTest, SkippingLoadedFilesSkipsTheUnchangedAndLoadsTheRevised) {
    DatRun& run = NewRun();
    run.Write(QStringLiteral("f1.DAT"), F1);
    Zip(run, QStringLiteral("f2.zip"),
        {{"f2.DAT", Content(QuarterlyLines(2) + HourlyLines(2, 1))}});
    run.Write(QStringLiteral("f3.DAT"), F2); // no "100" record: takes facility 2
    const auto extract = [&](Extraction batch, bool skip) {
        run.State.SkipLoadedFiles = skip;
        ScriptedBatchUi ui;
        const BatchOutcome outcome = run.Extract(batch, ui);
        EXPECT_TRUE(outcome.Succeeded()) << ui.Messages();
        return std::pair(outcome.FilesSkipped, ui.Shown.last());
    };
    for (const auto& [batch, name] :
         {std::pair<Extraction, const char*>{ExtractHourlyData, "Hourly emissions data"},
          {ExtractQuarterlyData, "Header information"}}) {
        EXPECT_EQ(extract(batch, false).first, 0);
        EXPECT_EQ(extract(batch, true),
                  std::pair(3, QLatin1String(name) +
                                   " has been successufully extracted from 0 .DAT files\n\n3 "
                                   ".DAT files were skipped: they were loaded before and have "
                                   "not changed."));
    }
    EXPECT_EQ(run.Rows("EMISSIONS", FacilityIs(2)), 4);
    // Revised to facility 4: f3, unchanged, now takes that facility, and is loaded again too.
    Zip(run, QStringLiteral("f2.zip"),
        {{"f2.DAT", Content(QuarterlyLines(4) + HourlyLines(4, 1))}});
    EXPECT_EQ(extract(ExtractHourlyData, true).first, 1);
    EXPECT_EQ(run.Rows("EMISSIONS", FacilityIs(4)), 4);
    EXPECT_EQ(extract(ExtractHourlyData, false).first, 0);
    EXPECT_EQ(run.Rows("LOADS", QStringLiteral("BATCH = 'hourly'")), 3 + 2 + 3);
    // A file whose identity LOADS keeps is known unchanged without its bytes being read: here
    // LOADS claims other bytes, which only reading them would show.
    const QString f1 = run.Path(QStringLiteral("f1.DAT"));
    for (const auto& [stamp, skipped] : {std::pair{IdentityText(f1), 3}, {QString(), 2}}) {
        RunSql(run.State.DatabasePath,
               QStringLiteral("UPDATE LOADS SET SHA256 = 'other', FILE_STAMP = '%1' WHERE PATH "
                              "= '%2'")
                   .arg(stamp, f1));
        EXPECT_EQ(extract(ExtractHourlyData, true).first, skipped);
    }
}

TEST_P(ArchiveBatchTest, LoadsHoldsExactlyTheFilesCommittedAfterAFailureOrAStop) {
    DatRun& run = NewRun();
    RunSql(run.State.DatabasePath, QStringLiteral("DROP TABLE LOADS")); // made before it
    run.Write(QStringLiteral("f1.DAT"), F1);
    // Unreadable for the quarterly batch; the hourly batch keeps two of its rows.
    run.Write(QStringLiteral("f2.DAT"),
              UnreadableQuarterlyLines(2) + HourlyLines(2, 2).mid(1) +
                  QByteArrayList{CO2ConcLine("1", "010315", "09", " 1e999", "")});
    run.Write(QStringLiteral("f3.DAT"), F3);
    ScriptedBatchUi stopped, failed, quarterly;
    stopped.StopAt = 1;
    EXPECT_TRUE(run.Extract(ExtractHourlyData, stopped).Cancelled);
    EXPECT_TRUE(run.Extract(ExtractHourlyData, failed).Stopped);
    EXPECT_EQ(run.Rows("EMISSIONS", FacilityIs(2)), 2);
    EXPECT_FALSE(run.Extract(ExtractQuarterlyData, quarterly).Succeeded());
    const QString f1 = run.Path(QStringLiteral("f1.DAT")), f3 = run.Path(QStringLiteral("f3.DAT"));
    EXPECT_EQ(Loads(run, QStringLiteral("BATCH, PATH, EMISSIONS_ADDED, QUARTERS_ADDED")),
              QList<QVariantList>({{"hourly", f1, 2, 0},
                                   {"hourly", f1, 0, 0},
                                   {"quarterly", f1, 0, 1},
                                   {"quarterly", f3, 0, 1}}));
}

TEST_P(ArchiveBatchTest, ABadArchiveStopsTheHourlyBatchAndIsNamedByTheQuarterlyOne) {
    DatRun& run = NewRun();
    run.Write(QStringLiteral("a.DAT"), F1);
    WriteBytes(run.Path(QStringLiteral("b.zip")), "not a zip");
    Zip(run, QStringLiteral("c.zip"),
        {{"c1.DAT", Content(F3), true}, {"c2.DAT", Content(QuarterlyLines(5))}});
    const QString folder = run.State.DatFolder;
    ScriptedBatchUi quarterly, hourly;
    EXPECT_EQ(run.Extract(ExtractQuarterlyData, quarterly).FilesExtracted, 2);
    EXPECT_EQ(quarterly.Shown.last(),
              "Header information has been successufully extracted from 2 .DAT files\n\n2 of 4 "
              ".DAT files could not be extracted:\n" +
                  folder + "b.zip: " + folder +
                  "b.zip is not a zip file: it does not begin as one.\n" + folder +
                  "c.zip:c1.DAT: " + folder +
                  "c.zip:c1.DAT is encrypted; Tarnwick reads no encrypted member.");
    EXPECT_TRUE(run.Extract(ExtractHourlyData, hourly).Stopped);
    EXPECT_EQ(hourly.Shown.last(),
              "Hourly emissions data could not be extracted from " + folder +
                  "b.zip (file 2 of 4).\n" + folder +
                  "b.zip is not a zip file: it does not begin as one.\n\nThe rows of the files "
                  "before it stay in the database, none of this file's; the remaining files were "
                  "not processed.");
    EXPECT_EQ(run.Rows("EMISSIONS"), 2);
    EXPECT_EQ(run.Rows("LOADS"), 3);
}

TARNWICK_INSTANTIATE_BOTH_ENGINES(ArchiveBatchTest);

} // namespace
} // namespace tarnwick::test
