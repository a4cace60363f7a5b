#include "gui/SaveFileChooser.h"

#include "db/DatabaseLocation.h"
#include "db/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace tarnwick {

namespace {

QString& LastSaveFolder() {
    static QString folder; // the window's thread only
    return folder;
}

} // namespace

QString ChooseSavePath(SaveFileChooser& chooser, QWidget* parent, const QString& databasePath,
                       const QString& title, const QString& suggestedName, const QString& filter) {
    QString folder = LastSaveFolder();
    if (folder.isEmpty() && !IsPostgresUri(databasePath.trimmed()))
        folder = QFileInfo(databasePath).absolutePath();
    const QString path = chooser.ChooseSaveFile(
        parent, title, folder.isEmpty() ? suggestedName : QDir(folder).filePath(suggestedName),
        filter);
    if (!path.isEmpty())
        LastSaveFolder() = QFileInfo(path).absolutePath();
    return path;
}

QString SaveTo(const QString& path, const std::function<void(QIODevice&)>& write) {
    QSaveFile file(path);
    try {
        if (!file.open(QIODevice::WriteOnly))
            throw Error(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()),
                        FailureKind::File);
        write(file);
        if (!file.commit())
            throw Error(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()),
                        FailureKind::File);
    } catch (const std::exception& error) {
        file.cancelWriting();
        return MessageOf(error);
    }
    return QStringLiteral("Saved %1").arg(path);
}

QString SaveThroughDialog(SaveFileChooser& chooser, QWidget* parent, const QString& databasePath,
                          const QString& title, const QString& suggestedName, const QString& filter,
                          const std::function<void(QIODevice&)>& write) {
    const QString path =
        ChooseSavePath(chooser, parent, databasePath, title, suggestedName, filter);
    return path.isEmpty() ? QString() : SaveTo(path, write);
}

} // namespace tarnwick
