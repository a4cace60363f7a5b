#pragma once

#include <QString>
#include <QStringList>

class QSettings;

namespace tarnwick {

// What the window keeps between runs in its settings: the databases opened last and the
// ".DAT" folder used last.
class RecentPlaces {
public:
    static constexpr int MostDatabases = 5;

    explicit RecentPlaces(QSettings& settings) : Settings(settings) {}

    QStringList Databases() const; // newest first
    // Puts `path` first; a postgresql:// URI is kept without its password.
    void AddDatabase(const QString& path);
    QString DatFolder() const; // empty when none was used yet
    void SetDatFolder(const QString& folder);

private:
    QSettings& Settings;
};

// A database path as the window shows and keeps it: a postgresql:// URI without its password.
QString WithoutUriPassword(const QString& path);

} // namespace tarnwick
