#include "gui/RecentPlaces.h"

#include "db/DatabaseLocation.h"

#include <QRegularExpression>
#include <QSettings>

namespace tarnwick {

namespace {

const QString DatabasesKey = QStringLiteral("recentDatabases");
const QString DatFolderKey = QStringLiteral("datFolder");

} // namespace

QStringList RecentPlaces::Databases() const {
    return Settings.value(DatabasesKey).toStringList().mid(0, MostDatabases);
}

void RecentPlaces::AddDatabase(const QString& path) {
    const QString kept = WithoutUriPassword(path);
    QStringList databases = Databases();
    databases.removeAll(kept);
    databases.prepend(kept);
    Settings.setValue(DatabasesKey, databases.mid(0, MostDatabases));
}

QString RecentPlaces::DatFolder() const {
    return Settings.value(DatFolderKey).toString();
}

void RecentPlaces::SetDatFolder(const QString& folder) {
    Settings.setValue(DatFolderKey, folder);
}

QString WithoutUriPassword(const QString& path) {
    if (!IsPostgresUri(path.trimmed()))
        return path;
    static const QRegularExpression userPassword(
        QStringLiteral("^(\\s*[a-z]+://[^/?#@:]*):[^/?#@]*@"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression passwordParameter(QStringLiteral("([?&])password=[^&#]*&?"),
                                                      QRegularExpression::CaseInsensitiveOption);
    QString shown = path;
    shown.replace(userPassword, QStringLiteral("\\1@"));
    shown.replace(passwordParameter, QStringLiteral("\\1"));
    while (shown.endsWith(u'?') || shown.endsWith(u'&'))
        shown.chop(1);
    return shown;
}

} // namespace tarnwick
