#pragma once

#include "core/BatchUi.h"

#include <array>

class QAction;
class QGroupBox;
class QLabel;
class QMainWindow;
class QMenu;
class QProgressBar;

namespace tarnwick {

// The controls of frmMain that the commands address, each with its object name set to the
// name it carries here.
struct MainWindowControls {
    QMenu* mnuFile = nullptr;
    QAction* mnuOpenSourcesDB = nullptr;
    QMenu* mnuRecentDatabases = nullptr; // filled by the window
    QAction* mnuLocateDATFiles = nullptr;
    QAction* mnuLocateSourcesDB = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuExtract = nullptr;
    QAction* mnuExtractEmissionsData = nullptr;
    QAction* mnuExtractHeaderData = nullptr;
    QAction* mnuIncludeSubfolders = nullptr; // checkable
    QAction* mnuSkipLoadedFiles = nullptr;   // checkable
    QMenu* mnuView = nullptr;
    QAction* mnuHourlyChart = nullptr;
    QAction* mnuDataSummary = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuTarnwick = nullptr;

    QLabel* lblExtractFrom2 = nullptr;
    QLabel* lblExtractTo2 = nullptr;

    QGroupBox* fraDBInfo = nullptr;
    std::array<QLabel*, 5> CountCaptions{}; // lblFacRecords ... in CountedTable order
    std::array<QLabel*, 5> CountValues{};   // lblFacRecords2 ... in CountedTable order

    QGroupBox* fraProgress = nullptr;
    QProgressBar* prgExtractRecords = nullptr;
    QProgressBar* prgExtractFiles = nullptr;
    QLabel* lblExtractingRecordNum = nullptr;
    QLabel* lblNumofFiles2 = nullptr;

    QLabel* CountValue(CountedTable table) const { return CountValues.at(int(table)); }
};

// Builds the designed menus and controls into `window` (frmMain) and sizes it so that the
// client area below the menu bar is 6225 x 3660 twips. Controls keep their places on resize.
MainWindowControls BuildMainWindowControls(QMainWindow& window);

} // namespace tarnwick
