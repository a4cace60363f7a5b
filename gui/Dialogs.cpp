#include "gui/Dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

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
                                  const QString& suggestedName, const QString& filter) {
    return QFileDialog::getSaveFileName(parent, title, suggestedName, filter);
}

} // namespace tarnwick
