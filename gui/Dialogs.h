#pragma once

#include "core/BatchUi.h"
#include "gui/SaveFileChooser.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QLineEdit;
class QWidget;

namespace tarnwick {

// The modal dialogs the window shows, behind one seam so tests can answer them in advance.
class Dialogs : public SaveFileChooser {
public:
    virtual ~Dialogs() = default;

    virtual void ShowMessage(QWidget* parent, const QString& title, const QString& text,
                             MessageIcon icon) = 0;
    // std::nullopt when the user cancels.
    virtual std::optional<QString> AskText(QWidget* parent, const QString& title,
                                           const QString& prompt, const QString& defaultAnswer) = 0;
    // The same for a folder, typed or chosen with Browse...
    virtual std::optional<QString> AskFolder(QWidget* parent, const QString& title,
                                             const QString& prompt,
                                             const QString& defaultAnswer) = 0;
    // An existing file, or an empty text when the user cancels. `filters` in the order shown,
    // the dialog opening on `selectedFilter`.
    virtual QString ChooseExistingFile(QWidget* parent, const QStringList& filters,
                                       const QString& selectedFilter) = 0;
    // A question with Yes and No buttons; true for Yes.
    virtual bool AskYesNo(QWidget* parent, const QString& title, const QString& question) = 0;
};

// The toolkit's own message box, input box and file dialog.
class QtDialogs : public Dialogs {
public:
    void ShowMessage(QWidget* parent, const QString& title, const QString& text,
                     MessageIcon icon) override;
    std::optional<QString> AskText(QWidget* parent, const QString& title, const QString& prompt,
                                   const QString& defaultAnswer) override;
    std::optional<QString> AskFolder(QWidget* parent, const QString& title, const QString& prompt,
                                     const QString& defaultAnswer) override;
    QString ChooseExistingFile(QWidget* parent, const QStringList& filters,
                               const QString& selectedFilter) override;
    bool AskYesNo(QWidget* parent, const QString& title, const QString& question) override;
    QString ChooseSaveFile(QWidget* parent, const QString& title, const QString& suggestedPath,
                           const QString& filter) override;
};

// The input box of the ".DAT" folder: the folder as text, and Browse... beside it, which
// fills in the folder chosen with its final separator, as the folder is a plain prefix.
class FolderDialog : public QDialog {
    Q_OBJECT
public:
    // `browse` asks for a folder starting at the one given; empty when the user cancels.
    using Browser = std::function<QString(QWidget* parent, const QString& start)>;
    FolderDialog(QWidget* parent, const QString& title, const QString& prompt,
                 const QString& folder, Browser browse = {});

    QString Folder() const;

private:
    QLineEdit* Edit;
};

} // namespace tarnwick
