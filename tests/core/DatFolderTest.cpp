#include "tests/support/ScriptedBatchUi.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

const QString AskForFolder = QStringLiteral(
    "ask Please enter the path to the folder containing .DAT files to be processed | "
    "Change path to .DAT files | ");

class DatFolderTest : public testing::Test {
protected:
    void Touch(const QString& name) { Run.Write(name, {}); }

    DatRun Run;
    ScriptedBatchUi Ui;
};

TEST_F(DatFolderTest, ListsTheRegularDatFilesOfAnyCaseSortedByNameInPlaceOfTheLastList) {
    for (const char* name :
         {"c.Dat", "a.dat", "A.DAT", "B.DAT", "notes.txt", "a.DAT.bak", ".hidden.DAT"})
        Touch(QString::fromLatin1(name));
    ASSERT_TRUE(QDir(Run.Folder.path()).mkdir(QStringLiteral("X.DAT")));
    ASSERT_TRUE(QFile::link(Run.Path(QStringLiteral("nowhere")), Run.Path("dangling.DAT")));
    ASSERT_TRUE(QFile::link(Run.Path(QStringLiteral("notes.txt")), Run.Path("live.DAT")));
    Run.State.DatFileList = QStringList(9, QStringLiteral("old.DAT"));

    EXPECT_EQ(ListDatFiles(Run.State, Run.State.DatFolder + "*.DAT", Ui, Run.Listing), 5);

    EXPECT_EQ(Run.State.DatFileList, QStringList({"A.DAT", "a.dat", "B.DAT", "c.Dat", "live.DAT"}));
    EXPECT_TRUE(Ui.Calls.isEmpty());
}

TEST_F(DatFolderTest, FolderIsAPlainPrefixAndAnEmptyOneIsTheCurrentDirectory) {
    ASSERT_TRUE(QDir(Run.Folder.path()).mkdir(QStringLiteral("data")));
    for (const char* name : {"data/inside.DAT", "data-old.DAT", "other.DAT"})
        Touch(QString::fromLatin1(name));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Run.Path(QStringLiteral("data"))));
    const std::pair<QString, QStringList> cases[] = {
        // "…/data" + "*.DAT" names the files beside the folder whose names start with "data".
        {Run.Path(QStringLiteral("data")), {"data-old.DAT"}},
        {Run.Path(QStringLiteral("data/")), {"inside.DAT"}},
        {QString(), {"inside.DAT"}},
    };
    for (const auto& [folder, names] : cases)
        EXPECT_EQ(Run.Listing.List(folder + QStringLiteral("*.DAT")), names)
            << folder.toStdString();
    QDir::setCurrent(previous);
}

TEST_F(DatFolderTest, NoDatFileAsksForAFolderFromTheFixedDefaultAndChangePathFromTheCurrentOne) {
    Touch(QStringLiteral("notes.txt"));
    for (const Extraction extract : {ExtractHourlyData, ExtractQuarterlyData}) {
        for (const std::optional<QString>& answer :
             {std::optional(QString("  /typed/as is")), std::optional<QString>()}) {
            const QString folder = answer.value_or(Run.State.DatFolder); // Cancel keeps it
            const QStringList changed = answer ? QStringList{"folder " + folder} : QStringList();
            RunState state;
            state.DatFolder = Run.State.DatFolder;
            state.DatFileList = {"kept.DAT"};
            ScriptedBatchUi ui;
            ui.Answers = {answer};

            const BatchOutcome outcome = extract(state, ui, Run.Listing);

            EXPECT_EQ(outcome.FilesListed, 0);
            EXPECT_FALSE(outcome.Succeeded());
            EXPECT_EQ(
                ui.Calls,
                QStringList({"information: You have not specified a valid .DAT file directory.",
                             AskForFolder + "V:\\VALMORO\\EPA_DATA\\2000\\3\\"}) +
                    changed);
            EXPECT_EQ(state.DatFolder, folder);
            EXPECT_EQ(state.DatFileList, QStringList({"kept.DAT"}));
            EXPECT_FALSE(state.SourcesDatabase); // no database was opened for the counts

            ui.Calls.clear();
            ui.Answers = {answer};
            LocateDatFiles(state, ui);
            const QStringList confirmed{"plain: Path to data has been selected as: " + folder,
                                        "folder " + folder};
            EXPECT_EQ(ui.Calls,
                      QStringList{AskForFolder + folder} + (answer ? confirmed : QStringList()));
            EXPECT_EQ(state.DatFolder, folder);
        }
    }
}

} // namespace
} // namespace tarnwick::test
