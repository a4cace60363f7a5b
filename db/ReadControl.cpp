#include "db/ReadControl.h"

#include "db/DatabaseConnection.h"
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

void ReadControl::Attach(DatabaseConnection& connection) {
    pg_conn* postgresConnection = PostgresHandle(connection.Database());
    pg_cancel* postgres = postgresConnection ? PQgetCancel(postgresConnection) : nullptr;
    if (sqlite3* sqlite = SqliteHandle(connection.Database())) {
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

} // namespace tarnwick
