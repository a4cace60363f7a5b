#include "gui/Dialogs.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace tarnwick {

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void QtDialogs::ShowMessage(QWidget* parent, const QString& title, const QString& text,
                            MessageIcon icon) {
    QMessageBox box(ToQtIcon(icon), title, text, QMessageBox::Ok, parent);
    box.exec();
}

std::optional<QString> QtDialogs::AskText(QWidget* parent, const QString& title,
                                          const QString& prompt, const QString& defaultAnswer) {
    bool accepted = false;
    const QString answer =
        QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultAnswer, &accepted);
    if (!accepted)
        return std::nullopt;
    return answer;
}

std::optional<QString> QtDialogs::AskFolder(QWidget* parent, const QString& title,
                                            const QString& prompt, const QString& defaultAnswer) {
    FolderDialog dialog(parent, title, prompt, defaultAnswer);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Folder();
}

QString QtDialogs::ChooseExistingFile(QWidget* parent, const QStringList& filters,
                                      const QString& selectedFilter) {
    QString chosenFilter = selectedFilter;
    // No title and no folder: the dialog's own defaults, and the process's current
    // directory is left alone.
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filters.join(";;"),
                                        &chosenFilter);
}

bool QtDialogs::AskYesNo(QWidget* parent, const QString& title, const QString& question) {
    return QMessageBox::question(parent, title, question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

QString QtDialogs::ChooseSaveFile(QWidget* parent, const QString& title,
                                  const QString& suggestedPath, const QString& filter) {
    return QFileDialog::getSaveFileName(parent, title, suggestedPath, filter);
}

FolderDialog::FolderDialog(QWidget* parent, const QString& title, const QString& prompt,
                           const QString& folder, Browser browse)
    : QDialog(parent), Edit(new QLineEdit(folder)) {
    setObjectName(QStringLiteral("dlgFolder"));
    setWindowTitle(title);
    if (!browse)
        browse = [](QWidget* owner, const QString& start) {
            return QFileDialog::getExistingDirectory(owner, QString(), start);
        };
    Edit->setObjectName(QStringLiteral("txtFolder"));
    Edit->setMinimumWidth(fontMetrics().averageCharWidth() * 50);
    auto* browseButton = new QPushButton(QStringLiteral("&Browse…"));
    browseButton->setObjectName(QStringLiteral("cmdBrowse"));
    browseButton->setAutoDefault(false);
    connect(browseButton, &QPushButton::clicked, this, [this, browse] {
        const QString chosen = browse(this, QDir::fromNativeSeparators(Edit->text()));
        if (chosen.isEmpty())
            return;
        QString shown = QDir::toNativeSeparators(chosen);
        if (!shown.endsWith(QDir::separator()))
            shown += QDir::separator();
        Edit->setText(shown);
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(prompt), 0, 0, 1, 2);
    layout->addWidget(Edit, 1, 0);
    layout->addWidget(browseButton, 1, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);
}

QString FolderDialog::Folder() const {
    return Edit->text();
}

} // namespace tarnwick
