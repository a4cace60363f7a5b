#pragma once

#include "dat/HourlyRecords.h"
#include "dat/RecordProgress.h"
#include "db/SourcesDatabase.h"

#include <QStringList>
#include <vector>

namespace tarnwick::test {

// Keeps the statements instead of running them; refuses the statement at RefuseAt (0-based).
class RecordingDatabase : public SourcesDatabase {
public:
    DatabaseEngine Engine() const override { return DatabaseEngine::SQLite; }
    void Execute(const QString& statement) override {
        if (Statements.size() == RefuseAt)
            throw Error(QStringLiteral("refused: ") + statement, FailureKind::Engine);
        Statements.append(statement);
    }
    QVariant ReadField(const QString&, const QString&) override { return {}; }
    void BeginGroup(GroupMode) override { ++GroupsBegun; }
    void EndGroup() override { ++GroupsEnded; }
    void Close() noexcept override {}

    QStringList Statements;
    qsizetype RefuseAt = -1;
    int GroupsBegun = 0;
    int GroupsEnded = 0;
};

// The per-file progress after each of the seven writers.
inline const std::vector<float> SeventhSteps{14.285714f, 28.571428f, 42.857143f, 57.142857f,
                                             71.428574f, 85.714287f, 100.0f};

class RecordingProgress : public RecordProgress {
public:
    void SetRecordProgress(float value) override { Values.push_back(value); }
    std::vector<float> Values;
};

} // namespace tarnwick::test
