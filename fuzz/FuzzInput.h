#pragma once

#include "dat/HourlyRecords.h"
#include "dat/RecordProgress.h"
#include "db/SourcesDatabase.h"
#include "db/SqlStatement.h"

#include <QFile>
#include <QString>
#include <unistd.h>

namespace tarnwick {

// The readers take a path, so each input is written to a file in memory-backed storage.
inline QString WriteFuzzInput(const uint8_t* data, size_t size, const char* suffix = ".DAT") {
    static const QString path = QStringLiteral("/dev/shm/tarnwick-fuzz-%1%2")
                                    .arg(QString::number(getpid()), QLatin1String(suffix));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        abort();
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

// A database that only parses what the writers send, so the readers, the writers and the
// statement parser run together without a database engine.
class ParsingDatabase : public SourcesDatabase {
public:
    DatabaseEngine Engine() const override { return DatabaseEngine::SQLite; }
    void Execute(const QString& statement) override {
        ParseStatement(QStringView(statement), Parsed);
        if (Parsed.Kind == StatementKind::Count)
            throw Error(QStringLiteral("not an INSERT or UPDATE"), FailureKind::Statement);
        for (const ColumnLiteral& value : Parsed.Values)
            (void)value.Value.TextValue();
    }
    QVariant ReadField(const QString&, const QString&) override { return 0; }
    void BeginGroup(GroupMode) override {}
    void EndGroup() override {}
    void Close() noexcept override {}

private:
    SqlStatement Parsed;
};

class NoProgress : public RecordProgress {
public:
    void SetRecordProgress(float) override {}
};

} // namespace tarnwick
