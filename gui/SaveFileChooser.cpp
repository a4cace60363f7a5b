#include "gui/SaveFileChooser.h"

#include "db/Error.h"

#include <QSaveFile>

namespace tarnwick {

QString SaveThroughDialog(SaveFileChooser& chooser, QWidget* parent, const QString& title,
                          const QString& suggestedName, const QString& filter,
                          const std::function<void(QIODevice&)>& write) {
    const QString path = chooser.ChooseSaveFile(parent, title, suggestedName, filter);
    if (path.isEmpty())
        return {};
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

} // namespace tarnwick
