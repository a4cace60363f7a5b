#include "FaultHarness.h"

#include <QFile>
#include <QProcess>
#include <stdexcept>

namespace tarnwick::test {

namespace {

// Long enough for the 5 s busy timeout of a locked file several times over.
constexpr int ProgramTimeoutMs = 120000;

// The condition under which a column's value has the column's type.
QString WellTypedCondition(const QString& column, const QString& declaredType) {
    const QString type = declaredType.toUpper();
    if (type == QLatin1String("DATE"))
        return QStringLiteral("(%1 IS NULL OR (typeof(%1) = 'text' AND date(%1) IS %1))")
            .arg(column);
    if (type.contains(QLatin1String("INT")))
        return QStringLiteral("typeof(%1) IN ('integer', 'null')").arg(column);
    if (type.contains(QLatin1String("REAL")))
        return QStringLiteral("typeof(%1) IN ('real', 'integer', 'null')").arg(column);
    return QStringLiteral("typeof(%1) IN ('text', 'null')").arg(column);
}

} // namespace

void HookedBatchUi::SetRecordProgress(float value) {
    ScriptedBatchUi::SetRecordProgress(value);
    if (value == 100)
        ++FilesWritten;
    if (OnRecordProgress)
        OnRecordProgress(value);
}

ScratchDatFolder::ScratchDatFolder() {
    if (!Folder.isValid())
        throw std::runtime_error("cannot make a temporary .DAT folder");
}

void ScratchDatFolder::WriteLines(const QString& name, const QByteArrayList& lines) const {
    test::WriteLines(FilePath(name), lines);
}

void ScratchDatFolder::WriteBytes(const QString& name, const QByteArray& bytes) const {
    QFile file(FilePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + name.toStdString());
}

qint64 RowCount(const QString& database, const char* table, const QString& where) {
    QString sql = QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table));
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    return QueryValue(database, sql).toLongLong();
}

QString FacilityIs(int id) {
    return QStringLiteral("FACILITY_ID = %1").arg(id);
}

qint64 DuplicateKeyRows(const QString& database) {
    qint64 duplicates = 0;
    for (const KeyedTable& table : KeyedTables) {
        duplicates +=
            QueryValue(database, QStringLiteral("SELECT COALESCE(SUM(n), 0) FROM "
                                                "(SELECT COUNT(*) AS n FROM %1 GROUP "
                                                "BY %2 HAVING COUNT(*) > 1) AS d")
                                     .arg(QLatin1String(table.Name), QLatin1String(table.Key)))
                .toLongLong();
    }
    return duplicates;
}

QString SqliteIntegrity(const QString& path) {
    return QueryValue(path, QStringLiteral("PRAGMA integrity_check")).toString();
}

qint64 MistypedValues(const QString& path) {
    qint64 mistyped = 0;
    for (const KeyedTable& table : KeyedTables) {
        QStringList wellTyped;
        const QString columns =
            QStringLiteral("SELECT name, type FROM pragma_table_info('%1')").arg(table.Name);
        for (const QVariantList& column : QueryRows(path, columns))
            wellTyped << WellTypedCondition(column[0].toString(), column[1].toString());
        mistyped += QueryValue(path, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE NOT (%2)")
                                         .arg(QLatin1String(table.Name),
                                              wellTyped.join(QLatin1String(" AND "))))
                        .toLongLong();
    }
    return mistyped;
}

void ExpectSqliteSound(const QString& path) {
    EXPECT_EQ(SqliteIntegrity(path), QStringLiteral("ok"));
    EXPECT_EQ(DuplicateKeyRows(path), 0);
    EXPECT_EQ(MistypedValues(path), 0);
}

void CloseDatabase(RunState& state) {
    if (state.SourcesDatabase)
        state.SourcesDatabase->Close();
}

RunState LaterRun(RunState& state) {
    CloseDatabase(state);
    RunState later;
    later.DatabasePath = state.DatabasePath;
    later.DatFolder = state.DatFolder;
    return later;
}

void ExpectBothExtractionsComplete(RunState& state, DatDirectory& listing) {
    HookedBatchUi quarterlyUi;
    EXPECT_TRUE(ExtractQuarterlyData(state, quarterlyUi, listing).Succeeded())
        << Messages(quarterlyUi);
    HookedBatchUi hourlyUi;
    EXPECT_TRUE(ExtractHourlyData(state, hourlyUi, listing).Succeeded()) << Messages(hourlyUi);
}

QString Messages(const ScriptedBatchUi& ui) {
    return ui.TextsOf(UiCallKind::Message).join(QLatin1Char('\n'));
}

bool PromisesRowsStay(const QString& message) {
    return message.contains(QLatin1String("and of this file up to line"));
}

QString BatchProgram() {
    const QString binaryDir = qEnvironmentVariable("TARNWICK_BINARY_DIR");
    if (binaryDir.isEmpty())
        throw std::runtime_error("TARNWICK_BINARY_DIR is not set; run through ctest");
    return binaryDir + QStringLiteral("/cli/tarnwick-batch");
}

ProgramRun RunBatchProgram(const QStringList& arguments, const QString& user) {
    QProcess process;
    if (user.isEmpty()) {
        process.setProgram(BatchProgram());
        process.setArguments(arguments);
    } else {
        process.setProgram(QStringLiteral("runuser"));
        process.setArguments(
            QStringList{QStringLiteral("-u"), user, QStringLiteral("--"), BatchProgram()} +
            arguments);
    }
    process.start();
    ProgramRun run;
    run.Finished = process.waitForFinished(ProgramTimeoutMs);
    if (!run.Finished) {
        process.kill();
        process.waitForFinished();
    }
    run.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Out = QString::fromUtf8(process.readAllStandardOutput());
    run.Err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace tarnwick::test
