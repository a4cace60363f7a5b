#include "tests/support/ScriptedBatchUi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

const QString AskForFolder = QStringLiteral(
    "ask Please enter the path to the folder containing .DAT files to be processed | "
    "Change path to .DAT files | ");

QStringList Names(const std::vector<DatFile>& files) {
    QStringList names;
    for (const DatFile& file : files)
        names << file.Name;
    return names;
}

QStringList Names(const std::vector<ListedFile>& files) {
    QStringList names;
    for (const ListedFile& file : files)
        names << file.Name;
    return names;
}

class DatFolderTest : public testing::Test {
protected:
    void Touch(const QString& name) {
        QDir().mkpath(QFileInfo(Run.Path(name)).path());
        Run.Write(name, {});
    }

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
    Run.State.DatFileList = std::vector<DatFile>(9, {QStringLiteral("old.DAT"), {}, {}});

    EXPECT_EQ(ListDatFiles(Run.State, Ui, Run.Listing), 5);

    EXPECT_EQ(Names(Run.State.DatFileList),
              QStringList({"A.DAT", "a.dat", "B.DAT", "c.Dat", "live.DAT"}));
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
        EXPECT_EQ(Names(Run.Listing.List(folder, false)), names) << folder.toStdString();
    QDir::setCurrent(previous);
}

TEST_F(DatFolderTest, SubfoldersFollowEachFolderDepthFirstInNaturalOrder) {
    for (const char* name : {"2000/q10/e.DAT", "2000/q2/d.DAT", "2000/q1/c.zip", "1999/q4/b.DAT",
                             "b.DAT", "a.zip", "2000/q2/notes.txt", "2000/.old/x.DAT",
                             "edr2/f.DAT"})
        Touch(QString::fromLatin1(name));
    ASSERT_TRUE(QFile::link(Run.Path(QStringLiteral("2000")), Run.Path("2000/q2/loop")));
    const std::pair<QString, QStringList> cases[] = {
        {Run.State.DatFolder,
         {"a.zip", "b.DAT", "1999/q4/b.DAT", "2000/q1/c.zip", "2000/q2/d.DAT", "2000/q10/e.DAT",
          "edr2/f.DAT"}},
        // A prefix takes the folders whose names begin with it, and all below them.
        {Run.Path(QStringLiteral("ed")), {"edr2/f.DAT"}},
    };
    for (const auto& [folder, names] : cases)
        EXPECT_EQ(Names(Run.Listing.List(folder, true)), names) << folder.toStdString();
    EXPECT_EQ(Names(Run.Listing.List(Run.State.DatFolder, false)), QStringList({"a.zip", "b.DAT"}));

    for (const auto& [a, b] : {std::pair{"q2", "q10"}, {"Q2", "q10"}, {"1999", "2000"},
                               {"q02", "q10"}, {"a9b", "a10a"}, {"q1", "q1a"}})
        EXPECT_TRUE(NaturalLess(QString::fromLatin1(a), QString::fromLatin1(b)) &&
                    !NaturalLess(QString::fromLatin1(b), QString::fromLatin1(a)))
            << a << " " << b;
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
            state.DatFileList = {{QStringLiteral("kept.DAT"), {}, {}}};
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
            EXPECT_EQ(Names(state.DatFileList), QStringList({"kept.DAT"}));
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
