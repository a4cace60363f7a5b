#pragma once

#include <QString>
#include <functional>

class QIODevice;
class QWidget;

namespace tarnwick {

// The save dialog of the view windows, behind a seam so tests can answer it.
class SaveFileChooser {
public:
    virtual ~SaveFileChooser() = default;
    // The file to write, or an empty text when the user cancels. The dialog opens on
    // `suggestedPath`; `filter` as QFileDialog takes it ("CSV files (*.csv)").
    virtual QString ChooseSaveFile(QWidget* parent, const QString& title,
                                   const QString& suggestedPath, const QString& filter) = 0;
};

// Asks for a file to save `suggestedName` as, in the folder saved to last in this run, or at
// first in the folder of the database at `databasePath`. Empty when the user cancels.
QString ChooseSavePath(SaveFileChooser& chooser, QWidget* parent, const QString& databasePath,
                       const QString& title, const QString& suggestedName, const QString& filter);

// Writes `path` through `write` into a QSaveFile, so a failure leaves no half file behind.
// Returns the status line to show: where it went or why it failed. Any thread.
QString SaveTo(const QString& path, const std::function<void(QIODevice&)>& write);

// Both: the status line, or nothing when the user cancelled.
QString SaveThroughDialog(SaveFileChooser& chooser, QWidget* parent, const QString& databasePath,
                          const QString& title, const QString& suggestedName, const QString& filter,
                          const std::function<void(QIODevice&)>& write);

} // namespace tarnwick
