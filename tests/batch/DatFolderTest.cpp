#include "Extraction.h"
#include "ScriptedBatchUi.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

const QString NoDirectoryMessage =
    QStringLiteral("You have not specified a valid .DAT file directory.");
const QString FolderPrompt =
    QStringLiteral("Please enter the path to the folder containing .DAT files to be processed");
const QString FolderTitle = QStringLiteral("Change path to .DAT files");
const QString FixedDefaultFolder = QStringLiteral("V:\\VALMORO\\EPA_DATA\\2000\\3\\");

void Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

class DatFolderTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Root.isValid()); }

    // The folder prefix of the temporary folder, with its final separator.
    QString Prefix() const { return Root.path() + QLatin1Char('/'); }

    int List(const QString& folder) {
        State.DatFolder = folder;
        return ListDatFiles(State, folder + QStringLiteral("*.DAT"), Ui, Directory);
    }

    QTemporaryDir Root;
    RunState State;
    ScriptedBatchUi Ui;
    FileSystemDatDirectory Directory;
};

TEST_F(DatFolderTest, ListsDatFilesOfAnyCaseSortedByNameAndNothingElse) {
    for (const char* name : {"c.Dat", "a.dat", "B.DAT", "notes.txt", "a.DAT.bak", ".hidden.DAT"})
        Touch(Root.filePath(QString::fromLatin1(name)));
    ASSERT_TRUE(QDir(Root.path()).mkdir(QStringLiteral("X.DAT")));

    EXPECT_EQ(List(Prefix()), 3);
    EXPECT_EQ(State.DatFileList, QStringList({"a.dat", "B.DAT", "c.Dat"}));
    EXPECT_TRUE(Ui.Calls.empty());
}

TEST_F(DatFolderTest, ShorterListingLeavesExactlyTheNewNames) {
    State.DatFileList = {"old1.DAT", "old2.DAT", "old3.DAT"};
    Touch(Root.filePath(QStringLiteral("new.DAT")));

    EXPECT_EQ(List(Prefix()), 1);
    EXPECT_EQ(State.DatFileList, QStringList({"new.DAT"}));
}

TEST_F(DatFolderTest, FolderIsAPlainPrefixWithoutAddedSeparator) {
    ASSERT_TRUE(QDir(Root.path()).mkdir(QStringLiteral("data")));
    Touch(Root.filePath(QStringLiteral("data/inside.DAT")));
    Touch(Root.filePath(QStringLiteral("data-old.DAT")));
    Touch(Root.filePath(QStringLiteral("other.DAT")));

    // "…/data" + "*.DAT" names files beside the folder whose names start with "data".
    EXPECT_EQ(List(Root.filePath(QStringLiteral("data"))), 1);
    EXPECT_EQ(State.DatFileList, QStringList({"data-old.DAT"}));

    EXPECT_EQ(List(Root.filePath(QStringLiteral("data/"))), 1);
    EXPECT_EQ(State.DatFileList, QStringList({"inside.DAT"}));
}

TEST_F(DatFolderTest, NoDatFileAsksForAnotherFolderWithTheFixedDefault) {
    Touch(Root.filePath(QStringLiteral("notes.txt")));
    State.DatFileList = {"kept.DAT"};
    Ui.Answers.push_back(QStringLiteral("  /typed/as is"));

    EXPECT_EQ(List(Prefix()), NoDatFiles);

    ASSERT_EQ(Ui.Calls.size(), 3u);
    EXPECT_EQ(Ui.Calls[0].Kind, UiCallKind::Message);
    EXPECT_EQ(Ui.Calls[0].Text, NoDirectoryMessage);
    EXPECT_EQ(Ui.Calls[0].Icon, MessageIcon::Information);
    EXPECT_EQ(Ui.Calls[1].Kind, UiCallKind::Ask);
    EXPECT_EQ(Ui.Calls[1].Text, FolderPrompt);
    EXPECT_EQ(Ui.Calls[1].Title, FolderTitle);
    EXPECT_EQ(Ui.Calls[1].DefaultText, FixedDefaultFolder); // not the current folder
    EXPECT_EQ(Ui.Calls[2].Kind, UiCallKind::FolderCaption);
    EXPECT_EQ(Ui.Calls[2].Text, QStringLiteral("  /typed/as is"));
    EXPECT_EQ(State.DatFolder, QStringLiteral("  /typed/as is"));
    EXPECT_EQ(State.DatFileList, QStringList({"kept.DAT"}));
}

TEST_F(DatFolderTest, CancelledFolderQuestionLeavesAnEmptyFolderThatListsTheCurrentDirectory) {
    Ui.Answers.push_back(std::nullopt);
    EXPECT_EQ(List(Prefix()), NoDatFiles);
    EXPECT_EQ(State.DatFolder, QString());
    EXPECT_EQ(Ui.TextsOf(UiCallKind::FolderCaption), QStringList({QString()}));

    Touch(Root.filePath(QStringLiteral("here.DAT")));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Root.path()));
    const int count = List(State.DatFolder);
    QDir::setCurrent(previous);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(State.DatFileList, QStringList({"here.DAT"}));
}

TEST_F(DatFolderTest, BatchesWithoutDatFilesShowNoPanelNoCountsAndNoCompletion) {
    for (const auto& extract : {ExtractHourlyData, ExtractQuarterlyData}) {
        ScriptedBatchUi ui;
        ui.Answers.push_back(std::nullopt);
        State.DatFolder = Prefix();

        const BatchOutcome outcome = extract(State, ui, Directory);

        EXPECT_EQ(outcome.FilesListed, 0);
        EXPECT_FALSE(outcome.Succeeded());
        ASSERT_EQ(ui.Calls.size(), 3u);
        EXPECT_EQ(ui.Calls[0].Text, NoDirectoryMessage);
        EXPECT_EQ(ui.Calls[1].Kind, UiCallKind::Ask);
        EXPECT_EQ(ui.Calls[2].Kind, UiCallKind::FolderCaption);
        EXPECT_FALSE(State.SourcesDatabase); // no database was opened for the counts
    }
}

TEST_F(DatFolderTest, LocateDatFilesConfirmsExactlyTheTypedText) {
    State.DatFolder = QStringLiteral("/current/");
    Ui.Answers.push_back(QStringLiteral("/new folder/no separator"));

    LocateDatFiles(State, Ui);

    ASSERT_EQ(Ui.Calls.size(), 3u);
    EXPECT_EQ(Ui.Calls[0].Kind, UiCallKind::Ask);
    EXPECT_EQ(Ui.Calls[0].Text, FolderPrompt);
    EXPECT_EQ(Ui.Calls[0].Title, FolderTitle);
    EXPECT_EQ(Ui.Calls[0].DefaultText, QStringLiteral("/current/"));
    EXPECT_EQ(Ui.Calls[1].Text,
              QStringLiteral("Path to data has been selected as: /new folder/no separator"));
    EXPECT_EQ(Ui.Calls[1].Icon, MessageIcon::None);
    EXPECT_EQ(Ui.Calls[2].Kind, UiCallKind::FolderCaption);
    EXPECT_EQ(Ui.Calls[2].Text, QStringLiteral("/new folder/no separator"));
    EXPECT_EQ(State.DatFolder, QStringLiteral("/new folder/no separator"));
}

TEST_F(DatFolderTest, CancelledLocateDatFilesClearsTheFolder) {
    State.DatFolder = QStringLiteral("/current/");
    Ui.Answers.push_back(std::nullopt);

    LocateDatFiles(State, Ui);

    EXPECT_EQ(State.DatFolder, QString());
    EXPECT_EQ(Ui.TextsOf(UiCallKind::Message),
              QStringList({"Path to data has been selected as: "}));
    EXPECT_EQ(Ui.TextsOf(UiCallKind::FolderCaption), QStringList({QString()}));
}

} // namespace
} // namespace tarnwick::test
