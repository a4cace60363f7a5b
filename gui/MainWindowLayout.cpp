#include "gui/MainWindowLayout.h"

#include "gui/Application.h"
#include "gui/FormLayout.h"

#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>

namespace tarnwick {

namespace {

constexpr int ClientWidthTwips = 6225;
constexpr int ClientHeightTwips = 3660;

struct Geometry {
    int Left, Top, Width, Height;
};

QLabel* AddLabel(QWidget* container, const char* name, const QString& caption, const Geometry& at,
                 Qt::Alignment horizontal = Qt::AlignLeft) {
    auto* label = new QLabel(caption, container);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(horizontal | Qt::AlignTop);
    PlaceInTwips(*label, at.Left, at.Top, at.Width, at.Height);
    return label;
}

// The "fixed single" border of a label: a one-pixel sunken edge.
void GiveSunkenBorder(QLabel& label) {
    label.setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label.setLineWidth(1);
    // The text starts right inside the border, not half a letter further in.
    label.setIndent(0);
    label.setMargin(1);
}

void UseGreyText(QLabel& label) {
    QPalette palette = label.palette();
    const QColor grey = palette.color(QPalette::Disabled, QPalette::WindowText);
    palette.setColor(QPalette::Active, QPalette::WindowText, grey);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, grey);
    label.setPalette(palette);
}

QGroupBox* AddPanel(QWidget* container, const char* name, const QString& caption,
                    const Geometry& at) {
    auto* panel = new QGroupBox(caption, container);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFont(DesignFont(true));
    PlaceInTwips(*panel, at.Left, at.Top, at.Width, at.Height);
    return panel;
}

QProgressBar* AddProgressBar(QWidget* container, const char* name, const Geometry& at) {
    auto* bar = new QProgressBar(container);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setFont(DesignFont());
    PlaceInTwips(*bar, at.Left, at.Top, at.Width, at.Height);
    return bar;
}

QLabel* AddHighlightedLabel(QWidget* panel, const char* name, const QString& caption,
                            const Geometry& at) {
    QLabel* label = AddLabel(panel, name, caption, at);
    label->setFont(DesignFont());
    label->setForegroundRole(QPalette::Highlight);
    return label;
}

void BuildProgressPanel(QWidget* client, MainWindowControls& controls) {
    controls.fraProgress =
        AddPanel(client, "fraProgress", QStringLiteral("File Extraction Progress"),
                 {2640, 1470, 3495, 2055});
    QWidget* panel = controls.fraProgress;
    controls.prgExtractRecords = AddProgressBar(panel, "prgExtractRecords", {180, 540, 3135, 315});
    controls.prgExtractFiles = AddProgressBar(panel, "prgExtractFiles", {180, 1320, 3135, 315});
    controls.lblExtractingRecordNum = AddHighlightedLabel(
        panel, "lblExtractingRecordNum", QStringLiteral("Extracting records from: 009813.DAT"),
        {180, 900, 3255, 255});
    controls.lblNumofFiles2 =
        AddHighlightedLabel(panel, "lblNumofFiles2", QStringLiteral("Processing .DAT file 1 of 77"),
                            {180, 1680, 2775, 255});
}

struct CountRow {
    CountedTable Table;
    const char* CaptionName;
    Geometry CaptionAt;
    const char* ValueName;
};

// Top to bottom: facilities, units, quarters, fuels, hourly records.
const CountRow CountRows[] = {
    {CountedTable::Facilities, "lblFacRecords", {120, 360, 1335, 255}, "lblFacRecords2"},
    {CountedTable::Units, "lblUnitRecords", {360, 660, 1095, 255}, "lblUnitRecords2"},
    {CountedTable::Quarters, "lblQuarterRecords", {60, 960, 1395, 195}, "lblQuarterRecords2"},
    {CountedTable::Fuels, "lblFuelRecords", {360, 1260, 1095, 255}, "lblFuelRecords2"},
    {CountedTable::Emissions, "lblHourlyRecords", {120, 1560, 1335, 195}, "lblHourlyRecords2"},
};

void BuildDatabasePanel(QWidget* client, MainWindowControls& controls) {
    controls.fraDBInfo = AddPanel(client, "fraDBInfo", QStringLiteral("Database Information"),
                                  {120, 1470, 2355, 2055});
    for (const CountRow& row : CountRows) {
        QLabel* value = AddLabel(controls.fraDBInfo, row.ValueName, QString(),
                                 {1500, row.CaptionAt.Top, 735, 255});
        GiveSunkenBorder(*value);
        value->setFont(DesignFont(true));
        QLabel* caption = AddLabel(controls.fraDBInfo, row.CaptionName,
                                   RecordCountCaption(row.Table), row.CaptionAt, Qt::AlignRight);
        caption->setFont(DesignFont());
        controls.CountValues.at(int(row.Table)) = value;
        controls.CountCaptions.at(int(row.Table)) = caption;
    }
}

void BuildLocations(QWidget* client, MainWindowControls& controls) {
    AddEtchedRule(client, 1320, {QStringLiteral("Line3"), 180, 6120, 1, Qt::black},
                  {QStringLiteral("Line1"), 210, 6150, 3, Qt::white});

    controls.lblExtractTo2 = AddLabel(client, "lblExtractTo2", QString(), {90, 870, 6075, 255});
    AddLabel(client, "lblExtractTo", QStringLiteral("Sources DB location:"), {60, 660, 1575, 195},
             Qt::AlignRight);
    controls.lblExtractFrom2 = AddLabel(client, "lblExtractFrom2", QString(), {90, 270, 6075, 255});
    AddLabel(client, "lblExtractFrom", QStringLiteral(".DAT files location:"), {90, 60, 1395, 195},
             Qt::AlignRight);
    for (QLabel* path : {controls.lblExtractTo2, controls.lblExtractFrom2}) {
        GiveSunkenBorder(*path);
        UseGreyText(*path);
    }
}

QMenu* AddMenu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction* AddItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

void AddSeparator(QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}

void BuildMenus(QMenuBar* bar, MainWindowControls& controls) {
    controls.mnuFile = AddMenu(bar, "mnuFile", QStringLiteral("&File"));
    controls.mnuOpenSourcesDB =
        AddItem(controls.mnuFile, "mnuOpenSourcesDB", QStringLiteral("&Open Sources DB"));
    controls.mnuRecentDatabases = controls.mnuFile->addMenu(QStringLiteral("&Recent Databases"));
    controls.mnuRecentDatabases->setObjectName(QStringLiteral("mnuRecentDatabases"));
    AddSeparator(controls.mnuFile, "mnuspace");
    controls.mnuLocateDATFiles = AddItem(controls.mnuFile, "mnuLocateDATFiles",
                                         QStringLiteral("Change path to .&DAT files"));
    controls.mnuLocateSourcesDB = AddItem(controls.mnuFile, "mnuLocateSourcesDB",
                                          QStringLiteral("&Change path to Sources DB"));
    AddSeparator(controls.mnuFile, "mnuLine");
    controls.mnuExit = AddItem(controls.mnuFile, "mnuExit", QStringLiteral("E&xit"));
    // The platform's own keys, beside the menus' access letters.
    controls.mnuOpenSourcesDB->setShortcut(QKeySequence::Open);
    controls.mnuExit->setShortcut(QKeySequence::Quit);

    controls.mnuExtract = AddMenu(bar, "mnuExtract", QStringLiteral("&Extract"));
    controls.mnuExtractEmissionsData = AddItem(controls.mnuExtract, "mnuExtractEmissionsData",
                                               QStringLiteral("Extract &Hourly Data"));
    controls.mnuExtractHeaderData = AddItem(controls.mnuExtract, "mnuExtractHeaderData",
                                            QStringLiteral("Extract &Quarterly Data"));
    AddSeparator(controls.mnuExtract, "mnuExtractLine");
    // Off at start: the batches list and load exactly what they always did.
    controls.mnuIncludeSubfolders = AddItem(controls.mnuExtract, "mnuIncludeSubfolders",
                                            QStringLiteral("Include &Sub-folders"));
    controls.mnuSkipLoadedFiles = AddItem(controls.mnuExtract, "mnuSkipLoadedFiles",
                                          QStringLiteral("Skip Files Already &Loaded"));
    for (QAction* option : {controls.mnuIncludeSubfolders, controls.mnuSkipLoadedFiles})
        option->setCheckable(true);

    controls.mnuView = AddMenu(bar, "mnuView", QStringLiteral("&View"));
    controls.mnuHourlyChart =
        AddItem(controls.mnuView, "mnuHourlyChart", QStringLiteral("Hourly &Chart…"));
    controls.mnuDataSummary =
        AddItem(controls.mnuView, "mnuDataSummary", QStringLiteral("Data &Summary…"));

    controls.mnuHelp = AddMenu(bar, "mnuHelp", QStringLiteral("&Help"));
    controls.mnuTarnwick =
        AddItem(controls.mnuHelp, "mnuTarnwick", QStringLiteral("&About Tarnwick"));
    controls.mnuTarnwick->setShortcut(QKeySequence::HelpContents);
}

} // namespace

MainWindowControls BuildMainWindowControls(QMainWindow& window) {
    window.setObjectName(QStringLiteral("frmMain"));
    window.setWindowTitle(ApplicationTitle);
    window.setWindowIcon(ApplicationIcon());
    window.setFont(DesignFont());

    MainWindowControls controls;
    BuildMenus(window.menuBar(), controls);

    // Fixed places: nothing moves or grows with the window, a smaller window cuts them off.
    auto* client = new QWidget(&window);
    window.setCentralWidget(client);
    BuildProgressPanel(client, controls);
    BuildDatabasePanel(client, controls);
    BuildLocations(client, controls);

    window.resize(TwipsToPixels(ClientWidthTwips),
                  TwipsToPixels(ClientHeightTwips) + window.menuBar()->sizeHint().height());
    return controls;
}

} // namespace tarnwick
