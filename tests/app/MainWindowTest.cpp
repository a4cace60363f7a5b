#include "MainWindow.h"
#include "FormLayout.h"
#include "ScriptedDialogs.h"
#include "TestDatabases.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace tarnwick {
namespace {

const QString DesignFolder = QStringLiteral("V:\\VALMORO\\EPA_DATA\\2000\\3\\");

// Calls `observe` with the watched widget whenever an event of `type` reaches it.
class EventWatcher : public QObject {
public:
    EventWatcher(QWidget* watched, QEvent::Type type, std::function<void(QWidget*)> observe)
        : Watched(watched), Type(type), Observe(std::move(observe)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (object == Watched && event->type() == Type)
            Observe(Watched);
        return false;
    }

private:
    QWidget* Watched;
    QEvent::Type Type;
    std::function<void(QWidget*)> Observe;
};

template <typename T> void AppendIfNew(QList<T>& seen, const T& value) {
    if (seen.isEmpty() || seen.back() != value)
        seen << value;
}

// One hourly ".DAT" file: a facility line and one SO2 concentration hour of unit `unit`.
void WriteDatFile(const QString& path, const QByteArray& unit) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("100003456\r\n");
    file.write("200" + unit.leftJustified(6, ' ') + "      00031507100.0  12.5  12.6\r\n");
}

void CreateSqliteDatabase(const QString& path, const QString& statement) {
    const QString connection = QStringLiteral("tableless");
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        database.setDatabaseName(path);
        ASSERT_TRUE(database.open());
        ASSERT_TRUE(QSqlQuery(database).exec(statement));
        database.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

class MainWindowTest : public testing::Test {
protected:
    MainWindowTest() : Window(Answers) {}

    template <typename T = QWidget> T* Control(const char* name) {
        T* control = Window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    QAction* Item(const char* name) { return Control<QAction>(name); }
    QString Caption(const char* label) { return Control<QLabel>(label)->text(); }
    void Trigger(const char* item) { Item(item)->trigger(); }

    QStringList Counts() {
        QStringList counts;
        for (const char* name : {"lblFacRecords2", "lblUnitRecords2", "lblFuelRecords2",
                                 "lblQuarterRecords2", "lblHourlyRecords2"})
            counts << Caption(name);
        return counts;
    }

    bool DatabaseCommandsEnabled() {
        return Control<QMenu>("mnuExtract")->menuAction()->isEnabled() &&
               Item("mnuLocateDATFiles")->isEnabled() && Item("mnuLocateSourcesDB")->isEnabled() &&
               Control<QGroupBox>("fraDBInfo")->isEnabled();
    }

    void Open(const QString& path) {
        Answers.FileChoices.push_back(path);
        Trigger("mnuOpenSourcesDB");
    }

    // A folder path with the trailing separator the folder text needs.
    QString DatFolder(int files) {
        for (int i = 1; i <= files; ++i)
            WriteDatFile(Folder.filePath(QStringLiteral("F%1.DAT").arg(i)),
                         QByteArray("U") + QByteArray::number(i));
        return Folder.path() + QLatin1Char('/');
    }

    void ChangeFolder(const QString& folder) {
        Answers.TextAnswers.push_back(folder);
        Trigger("mnuLocateDATFiles");
    }

    void ShowWindow() {
        Window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
    }

    ScriptedDialogs Answers;
    MainWindow Window;
    QTemporaryDir Folder;
};

TEST_F(MainWindowTest, StartsWithTheDesignFolderAndNoDatabase) {
    EXPECT_EQ(Window.windowTitle(), QStringLiteral("Tarnwick"));
    EXPECT_EQ(Caption("lblExtractFrom2"), DesignFolder);
    EXPECT_TRUE(Caption("lblExtractTo2").isEmpty());
    EXPECT_TRUE(Control("fraProgress")->isHidden());

    EXPECT_FALSE(Control<QMenu>("mnuExtract")->menuAction()->isEnabled());
    EXPECT_FALSE(Item("mnuLocateDATFiles")->isEnabled());
    EXPECT_FALSE(Item("mnuLocateSourcesDB")->isEnabled());
    EXPECT_FALSE(Control("fraDBInfo")->isEnabled());
    for (const char* caption : {"lblFacRecords", "lblUnitRecords", "lblFuelRecords",
                                "lblQuarterRecords", "lblHourlyRecords"})
        EXPECT_FALSE(Control(caption)->isEnabled()) << caption;
    for (const char* item : {"mnuOpenSourcesDB", "mnuExit", "mnuTarnwick"})
        EXPECT_TRUE(Item(item)->isEnabled()) << item;
}

TEST_F(MainWindowTest, ControlsKeepTheirDesignedPlacesWhenTheWindowGrows) {
    ShowWindow();
    QWidget* client = Window.centralWidget();
    EXPECT_EQ(client->size(), QSize(TwipsToPixels(6225), TwipsToPixels(3660)));
    const QRect progress = TwipsRect(2640, 1470, 3495, 2055);
    const QRect facilities = TwipsRect(1500, 360, 735, 255);
    EXPECT_EQ(Control("fraProgress")->geometry(), progress);
    EXPECT_EQ(Control("lblFacRecords2")->geometry(), facilities);

    Window.resize(Window.size() + QSize(200, 150));
    QApplication::processEvents();
    EXPECT_EQ(Control("fraProgress")->geometry(), progress);
    EXPECT_EQ(Control("lblFacRecords2")->geometry(), facilities);
}

TEST_F(MainWindowTest, BoldStaysOnPanelCaptionsAndCountBoxes) {
    EXPECT_TRUE(Control("fraDBInfo")->font().bold());
    EXPECT_TRUE(Control("fraProgress")->font().bold());
    EXPECT_TRUE(Control("lblHourlyRecords2")->font().bold());
    EXPECT_FALSE(Control("lblHourlyRecords")->font().bold());
    EXPECT_FALSE(Control("lblNumofFiles2")->font().bold());
    EXPECT_DOUBLE_EQ(Control("lblExtractFrom")->font().pointSizeF(), 8.25);
}

TEST_F(MainWindowTest, OpeningADatabaseShowsItsCountsAndEnablesTheCommands) {
    const QString path = ScratchSqliteDatabase();
    RunSql(path, "INSERT INTO FACILITIES (Facility_ID, Calendar_Quarter, Calendar_Year) "
                 "VALUES (1, 3, 2000), (2, 3, 2000)");
    RunSql(path, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1234) "
                 "INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR) "
                 "SELECT 1, 'U' || i, '2000-07-01', 1 FROM n");
    Open(path);

    ASSERT_TRUE(Answers.Messages.empty()) << Answers.Messages.front().Text.toStdString();
    EXPECT_EQ(Caption("lblExtractTo2"), path);
    EXPECT_EQ(Counts(), (QStringList{"2", "0", "0", "0", "1234"}));
    EXPECT_TRUE(DatabaseCommandsEnabled());
    for (const char* caption : {"lblFacRecords", "lblHourlyRecords"})
        EXPECT_TRUE(Control(caption)->isEnabled()) << caption;
}

TEST_F(MainWindowTest, OpenDialogListsAllFilesFirst) {
    Open(QString());
    ASSERT_EQ(Answers.FileRequests.size(), 1u);
    const QStringList filters = Answers.FileRequests.front().Filters;
    ASSERT_GE(filters.size(), 3);
    EXPECT_EQ(filters.at(0), QStringLiteral("All Files (*.*)"));
    EXPECT_EQ(filters.at(1), QStringLiteral("Database Files (*.mdb)"));
    EXPECT_EQ(Answers.FileRequests.front().SelectedFilter, filters.at(0));
}

TEST_F(MainWindowTest, CancelOnTheFirstOpenStaysWithoutDatabase) {
    Open(QString());
    EXPECT_TRUE(Answers.Messages.empty());
    EXPECT_TRUE(Caption("lblExtractTo2").isEmpty());
    EXPECT_TRUE(Window.State().DatabasePath.isEmpty());
    EXPECT_FALSE(DatabaseCommandsEnabled());
}

TEST_F(MainWindowTest, CancelOnALaterOpenKeepsTheOpenDatabase) {
    const QString path = ScratchSqliteDatabase();
    Open(path);
    const SourcesDatabase* opened = Window.State().SourcesDatabase.get();
    const QStringList counts = Counts();

    Open(QString());
    EXPECT_TRUE(Answers.Messages.empty());
    EXPECT_EQ(Window.State().SourcesDatabase.get(), opened);
    EXPECT_EQ(Window.State().DatabasePath, path);
    EXPECT_EQ(Caption("lblExtractTo2"), path);
    EXPECT_EQ(Counts(), counts);
    EXPECT_TRUE(DatabaseCommandsEnabled());
}

TEST_F(MainWindowTest, UnopenableFileOnTheFirstOpenIsReportedAndChangesNothing) {
    const QString bad = Folder.filePath(QStringLiteral("notes.db"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a database\n");
    file.close();

    Open(bad);
    ASSERT_EQ(Answers.Messages.size(), 1u);
    EXPECT_EQ(Answers.Messages.front().Icon, MessageIcon::Critical);
    EXPECT_TRUE(Answers.Messages.front().Text.contains(bad));
    EXPECT_TRUE(Caption("lblExtractTo2").isEmpty());
    EXPECT_EQ(Window.State().SourcesDatabase, nullptr);
    EXPECT_FALSE(DatabaseCommandsEnabled());
}

TEST_F(MainWindowTest, FailingCountOnALaterOpenKeepsThePreviousDatabase) {
    const QString good = ScratchSqliteDatabase();
    RunSql(good, "INSERT INTO FACILITIES (Facility_ID, Calendar_Quarter, Calendar_Year) "
                 "VALUES (7, 1, 2001)");
    Open(good);
    const SourcesDatabase* opened = Window.State().SourcesDatabase.get();

    // A SQLite database that opens but has no Sources tables: the counts fail.
    const QString tableless = Folder.filePath(QStringLiteral("other.db"));
    CreateSqliteDatabase(tableless, "CREATE TABLE OTHER (X INTEGER)");
    Open(tableless);

    ASSERT_EQ(Answers.Messages.size(), 1u);
    EXPECT_EQ(Answers.Messages.front().Icon, MessageIcon::Critical);
    EXPECT_TRUE(Answers.Messages.front().Text.contains(tableless));
    EXPECT_EQ(Window.State().SourcesDatabase.get(), opened);
    EXPECT_EQ(Window.State().DatabasePath, good);
    EXPECT_EQ(Caption("lblExtractTo2"), good);
    EXPECT_EQ(Counts(), (QStringList{"1", "0", "0", "0", "0"}));
    EXPECT_TRUE(DatabaseCommandsEnabled());
}

TEST_F(MainWindowTest, SecondDatabaseReplacesLocationAndCounts) {
    const QString first = ScratchSqliteDatabase();
    RunSql(first, "INSERT INTO FACILITIES (Facility_ID, Calendar_Quarter, Calendar_Year) "
                  "VALUES (7, 1, 2001)");
    Open(first);
    const QString second = ScratchSqliteDatabase();
    Open(second);
    EXPECT_TRUE(Answers.Messages.empty());
    EXPECT_EQ(Caption("lblExtractTo2"), second);
    EXPECT_EQ(Counts(), (QStringList{"0", "0", "0", "0", "0"}));
}

TEST_F(MainWindowTest, FolderCommandConfirmsExactlyWhatWasTyped) {
    Open(ScratchSqliteDatabase());
    ChangeFolder(QStringLiteral("  /data/q3 "));
    ASSERT_EQ(Answers.Questions.size(), 1u);
    EXPECT_EQ(Answers.Questions.front().Title, QStringLiteral("Change path to .DAT files"));
    EXPECT_EQ(Answers.Questions.front().DefaultAnswer, DesignFolder);
    ASSERT_EQ(Answers.Messages.size(), 1u);
    EXPECT_EQ(Answers.Messages.front().Text,
              QStringLiteral("Path to data has been selected as:   /data/q3 "));
    EXPECT_EQ(Answers.Messages.front().Icon, MessageIcon::None);
    EXPECT_EQ(Caption("lblExtractFrom2"), QStringLiteral("  /data/q3 "));

    Answers.TextAnswers.push_back(std::nullopt);
    Trigger("mnuLocateDATFiles");
    EXPECT_EQ(Answers.Questions.back().DefaultAnswer, QStringLiteral("  /data/q3 "));
    EXPECT_EQ(Answers.Messages.back().Text, QStringLiteral("Path to data has been selected as: "));
    EXPECT_TRUE(Caption("lblExtractFrom2").isEmpty());
}

TEST_F(MainWindowTest, HourlyBatchShowsEachFileAndItsShareOfTheBatch) {
    Open(ScratchSqliteDatabase());
    ChangeFolder(DatFolder(4));
    Answers.Messages.clear();
    ShowWindow();

    QStringList captionsPainted;
    EventWatcher captionWatcher(Control("lblNumofFiles2"), QEvent::Paint, [&](QWidget* label) {
        const QString caption = static_cast<QLabel*>(label)->text();
        if (caption.endsWith(QStringLiteral(" of 4")))
            AppendIfNew(captionsPainted, caption);
    });
    QList<int> valuesPainted;
    EventWatcher barWatcher(Control("prgExtractFiles"), QEvent::Paint, [&](QWidget* bar) {
        const int value = static_cast<QProgressBar*>(bar)->value();
        if (value > 0)
            AppendIfNew(valuesPainted, value);
    });
    Trigger("mnuExtractEmissionsData");

    EXPECT_EQ(captionsPainted,
              (QStringList{"Processing .DAT file 1 of 4", "Processing .DAT file 2 of 4",
                           "Processing .DAT file 3 of 4", "Processing .DAT file 4 of 4"}));
    EXPECT_EQ(valuesPainted, (QList<int>{25, 50, 75, 100}));
    EXPECT_EQ(Caption("lblExtractingRecordNum"), QStringLiteral("Extracting records from: F4.DAT"));
    EXPECT_EQ(Control<QProgressBar>("prgExtractRecords")->value(), 100);
    ASSERT_EQ(Answers.Messages.size(), 1u);
    EXPECT_EQ(
        Answers.Messages.front().Text,
        QStringLiteral("Hourly emissions data has been successufully extracted from 4 .DAT files"));
    EXPECT_EQ(Answers.Messages.front().Icon, MessageIcon::Information);
    EXPECT_TRUE(Control("fraProgress")->isHidden());
    EXPECT_EQ(Caption("lblHourlyRecords2"), QStringLiteral("3")) << "counted before the last file";
}

TEST_F(MainWindowTest, QuarterlyBatchRunsFromItsMenuItem) {
    Open(ScratchSqliteDatabase());
    ChangeFolder(DatFolder(2));
    Answers.Messages.clear();
    QList<int> values;
    QObject::connect(Control<QProgressBar>("prgExtractFiles"), &QProgressBar::valueChanged, &Window,
                     [&](int value) { values << value; });

    Trigger("mnuExtractHeaderData");
    EXPECT_EQ(values, (QList<int>{50, 100}));
    ASSERT_EQ(Answers.Messages.size(), 1u);
    EXPECT_TRUE(Answers.Messages.front().Text.startsWith(
        QStringLiteral("Header information has been successufully extracted from ")))
        << Answers.Messages.front().Text.toStdString();
    EXPECT_TRUE(Control("fraProgress")->isHidden());
}

TEST_F(MainWindowTest, CommandsChosenDuringABatchAreNotTaken) {
    Open(ScratchSqliteDatabase());
    ChangeFolder(DatFolder(2));
    Answers.Messages.clear();
    const std::size_t fileDialogs = Answers.FileRequests.size();
    QObject::connect(Control<QProgressBar>("prgExtractFiles"), &QProgressBar::valueChanged, &Window,
                     [&](int value) {
                         if (value != 50)
                             return;
                         Trigger("mnuOpenSourcesDB");
                         Trigger("mnuExtractEmissionsData");
                         Window.close();
                     });
    Trigger("mnuExtractEmissionsData");

    EXPECT_EQ(Answers.FileRequests.size(), fileDialogs);
    ASSERT_EQ(Answers.Messages.size(), 1u) << "one batch, one completion message";
    EXPECT_NE(Window.State().SourcesDatabase, nullptr) << "the close was refused";
}

TEST_F(MainWindowTest, FolderWithoutDatFilesAsksForAnotherAndProcessesNothing) {
    Open(ScratchSqliteDatabase());
    ChangeFolder(Folder.path() + QLatin1Char('/'));
    Answers.Messages.clear();
    Answers.Questions.clear();
    ShowWindow();
    int panelShown = 0;
    EventWatcher panelWatcher(Control("fraProgress"), QEvent::Show,
                              [&](QWidget*) { ++panelShown; });

    Answers.TextAnswers.push_back(QStringLiteral("/elsewhere/"));
    Trigger("mnuExtractEmissionsData");

    ASSERT_EQ(Answers.Messages.size(), 1u);
    EXPECT_EQ(Answers.Messages.front().Text,
              QStringLiteral("You have not specified a valid .DAT file directory."));
    EXPECT_EQ(Answers.Messages.front().Icon, MessageIcon::Information);
    ASSERT_EQ(Answers.Questions.size(), 1u);
    EXPECT_EQ(Answers.Questions.front().DefaultAnswer, DesignFolder);
    EXPECT_EQ(Caption("lblExtractFrom2"), QStringLiteral("/elsewhere/"));
    EXPECT_EQ(panelShown, 0);
}

TEST_F(MainWindowTest, FailingBatchIsReportedAndTheWindowStaysOpenForMore) {
    const QString path = ScratchSqliteDatabase();
    Open(path);
    ChangeFolder(DatFolder(2));
    Answers.Messages.clear();
    RunSql(path, "DROP TABLE EMISSIONS");

    Trigger("mnuExtractEmissionsData");
    ASSERT_EQ(Answers.Messages.size(), 1u);
    EXPECT_EQ(Answers.Messages.front().Icon, MessageIcon::Critical);
    EXPECT_TRUE(DatabaseCommandsEnabled());

    Answers.TextAnswers.push_back(QStringLiteral("/next/"));
    Trigger("mnuLocateDATFiles");
    EXPECT_EQ(Caption("lblExtractFrom2"), QStringLiteral("/next/"));
}

TEST_F(MainWindowTest, AboutBoxIsModalOverTheWindow) {
    QString modalName;
    QTimer::singleShot(0, &Window, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        modalName = modal->objectName();
        Open(ScratchSqliteDatabase()); // not taken while the box is open
        modal->close();
    });
    Trigger("mnuTarnwick");
    EXPECT_EQ(modalName, QStringLiteral("frmAbout"));
    EXPECT_TRUE(Answers.FileRequests.empty());
}

TEST_F(MainWindowTest, ExitClosesTheWindowAndTheDatabase) {
    ShowWindow();
    Open(ScratchSqliteDatabase());
    ASSERT_NE(Window.State().SourcesDatabase, nullptr);
    Trigger("mnuExit");
    EXPECT_FALSE(Window.isVisible());
    EXPECT_EQ(Window.State().SourcesDatabase, nullptr);
    EXPECT_TRUE(Answers.Messages.empty());
}

} // namespace
} // namespace tarnwick
