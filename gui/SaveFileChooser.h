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
    // The file to write, or an empty text when the user cancels. `filter` as QFileDialog takes
    // it ("CSV files (*.csv)").
    virtual QString ChooseSaveFile(QWidget* parent, const QString& title,
                                   const QString& suggestedName, const QString& filter) = 0;
};

// Asks for a file and writes it through `write` into a QSaveFile, so a failure leaves no half
// file behind. Returns the status line to show: where it went, why it failed, or nothing
// when the user cancelled.
QString SaveThroughDialog(SaveFileChooser& chooser, QWidget* parent, const QString& title,
                          const QString& suggestedName, const QString& filter,
                          const std::function<void(QIODevice&)>& write);

} // namespace tarnwick
