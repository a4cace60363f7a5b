#include "view/SourcesReader.h"

#include "db/DatabaseConnection.h"
#include "db/DatabaseLocation.h"
#include "db/SqlitePreparedStatement.h"

#include <libpq-fe.h>
#include <sqlite3.h>

namespace tarnwick {

namespace {

// As long as the batch's connection waits for a locked file.
constexpr std::chrono::milliseconds LockWait(5000);
// A wait shorter than this, as between two commits of a batch, is not worth a word.
constexpr std::chrono::milliseconds LockWaitTold(200);
constexpr int LockPollMs = 10;
// SQLite asks whether to go on every this many steps of its virtual machine.
constexpr int CancelCheckSteps = 10000;

Error Cancelled(const QString& database) {
    return Error(QStringLiteral("The reading of %1 was cancelled.").arg(database),
                 FailureKind::Engine);
}

} // namespace

ReadControl::~ReadControl() {
    Detach();
}

void ReadControl::Cancel() {
    IsCancelled = true;
    const std::lock_guard guard(Lock);
    if (Postgres) {
        char reason[256];
        PQcancel(Postgres, reason, int(sizeof reason));
    }
}

// On the reading thread, once its connection is open.
void ReadControl::Attach(sqlite3* sqlite, pg_cancel* postgres) {
    if (sqlite) {
        // Replaces the busy timeout with the same wait that also tells, and stops on a cancel.
        sqlite3_busy_handler(sqlite, &ReadControl::WaitForLock, this);
        sqlite3_progress_handler(sqlite, CancelCheckSteps, &ReadControl::StopWhenCancelled, this);
    }
    const std::lock_guard guard(Lock);
    Postgres = postgres;
}

void ReadControl::Detach() {
    const std::lock_guard guard(Lock);
    if (Postgres)
        PQfreeCancel(Postgres);
    Postgres = nullptr;
}

int ReadControl::WaitForLock(void* data, int attempt) {
    auto* control = static_cast<ReadControl*>(data);
    const auto now = std::chrono::steady_clock::now();
    if (attempt == 0) {
        control->WaitStart = now;
        control->WaitTold = false;
    }
    if (control->Cancelled() || now - control->WaitStart >= LockWait)
        return 0;
    if (!control->WaitTold && now - control->WaitStart >= LockWaitTold) {
        control->WaitTold = true;
        if (control->Waiting)
            control->Waiting();
    }
    sqlite3_sleep(LockPollMs);
    return 1;
}

int ReadControl::StopWhenCancelled(void* data) {
    return static_cast<ReadControl*>(data)->Cancelled() ? 1 : 0;
}

SourcesReader::SourcesReader(const QString& path, ReadControl* control)
    : Connection(std::make_unique<DatabaseConnection>(LocateDatabase(path))), Control(control) {
    if (!Control)
        return;
    pg_conn* postgres = PostgresHandle(Connection->Database());
    Control->Attach(SqliteHandle(Connection->Database()),
                    postgres ? PQgetCancel(postgres) : nullptr);
    ThrowIfCancelled();
}

SourcesReader::~SourcesReader() {
    if (Control)
        Control->Detach();
}

void SourcesReader::ThrowIfCancelled() const {
    if (Control && Control->Cancelled())
        throw Cancelled(Describe());
}

DatabaseEngine SourcesReader::Engine() const {
    return Connection->Location().Engine;
}

QString SourcesReader::Describe() const {
    return Connection->Location().Describe();
}

QSqlQuery SourcesReader::Run(const QString& sql, const QVariantList& values) {
    ThrowIfCancelled();
    QSqlQuery query(Connection->Database());
    // Forward-only lets both drivers hand rows over as they come instead of caching them all.
    query.setForwardOnly(true);
    bool ran = query.prepare(sql);
    if (ran) {
        for (const QVariant& value : values)
            query.addBindValue(value);
        ran = query.exec();
    }
    ThrowIfCancelled();
    if (!ran)
        throw Error(QStringLiteral("The database %1 could not be read: %2")
                        .arg(Describe(), EngineText(query.lastError())),
                    FailureKind::Engine);
    return query;
}

bool SourcesReader::Next(QSqlQuery& query, const QString& what) {
    const bool more = query.next();
    ThrowIfCancelled();
    if (more)
        return true;
    if (query.lastError().isValid())
        throw Error(QStringLiteral("The database %1 stopped while %2 were read: %3")
                        .arg(Describe(), what, EngineText(query.lastError())),
                    FailureKind::Engine);
    return false;
}

QString SourcesReader::CodePointOrder(const QString& column) const {
    // SQLite compares text by its bytes already; PostgreSQL follows the database's locale.
    if (Engine() == DatabaseEngine::PostgreSQL)
        return column + QStringLiteral(" COLLATE \"C\"");
    return column;
}

QDate DateValue(const QVariant& value) {
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    return QDate::fromString(value.toString(), Qt::ISODate);
}

QVariant DateParameter(QDate date) {
    // ISO text compares correctly with SQLite's ISO text and is read as a date by PostgreSQL.
    return date.toString(Qt::ISODate);
}

} // namespace tarnwick
