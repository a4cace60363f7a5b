#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>
#include <gtest/gtest.h>

namespace tarnwick::test {

// Another program's write transaction on a SQLite file, as long as the object lives or until
// Release: readers and writers of the file wait for it.
class HeldLock {
public:
    explicit HeldLock(const QString& file) : Name(QUuid::createUuid().toString()) {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Name);
        database.setDatabaseName(file);
        if (!database.open() || !QSqlQuery(database).exec(QStringLiteral("BEGIN EXCLUSIVE")))
            ADD_FAILURE() << "cannot lock " << file.toStdString();
    }
    ~HeldLock() { Release(); }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

    void Release() {
        if (!QSqlDatabase::contains(Name))
            return;
        QSqlDatabase::database(Name).close();
        QSqlDatabase::removeDatabase(Name);
    }

private:
    QString Name;
};

} // namespace tarnwick::test
