#include "SqlSourcesDatabase.h"

#include "LiteralConversion.h"
#include "QtPreparedStatement.h"
#include "SqlitePreparedStatement.h"

#include <QSet>

namespace tarnwick {

namespace {

// PostgreSQL aborts the whole transaction when one statement fails. The group keeps a
// savepoint and the statements run since it, so that after a failure it can roll back to the
// savepoint, run them again and commit. The savepoint moves on every this many statements.
constexpr qsizetype CheckpointInterval = 1000;
const QString CheckpointName = QStringLiteral("tarnwick_checkpoint");

// The program uses a dozen shapes; a flood of new ones is not worth keeping prepared.
constexpr qsizetype MaxPreparedShapes = 256;

[[noreturn]] void ThrowForStatement(const QString& fault, const QString& text) {
    throw DatabaseError(QStringLiteral("%1 Statement: %2").arg(fault, StatementExcerpt(text)));
}

QString Quoted(const QString& name) {
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString JoinedColumns(const QStringList& names, qsizetype first, qsizetype count,
                      QStringView format, QStringView separator) {
    QStringList parts;
    for (qsizetype i = first; i < first + count; ++i)
        parts << format.toString().arg(Quoted(names[i]));
    return parts.join(separator);
}

} // namespace

SqlSourcesDatabase::SqlSourcesDatabase(const DatabaseLocation& location)
    : Connection(location), Catalog(Connection.Database(), location.Engine) {
    if (location.Engine == DatabaseEngine::SQLite) {
        ApplySqliteSettings();
        SqliteConnection = SqliteHandle(Connection.Database());
    }
}

SqlSourcesDatabase::~SqlSourcesDatabase() {
    Close();
}

QString SqlSourcesDatabase::Path() const {
    return Connection.Location().Path;
}

DatabaseEngine SqlSourcesDatabase::Engine() const {
    return Connection.Location().Engine;
}

void SqlSourcesDatabase::EnsureOpen() const {
    if (Closed)
        throw DatabaseError(
            QStringLiteral("The database %1 is closed.").arg(Connection.Location().Describe()));
}

// The rollback journal stays: a Sources database is one file that users copy and share, which
// WAL's side files and shared memory would not survive. Groups already make a file's
// statements one transaction, so commits are few and the journal mode costs little.
void SqlSourcesDatabase::ApplySqliteSettings() {
    for (const QString& pragma : {QStringLiteral("PRAGMA cache_size = -32768"),
                                  QStringLiteral("PRAGMA temp_store = MEMORY"),
                                  QStringLiteral("SELECT count(*) FROM sqlite_master")}) {
        const QSqlError error = Connection.Run(pragma);
        if (error.isValid())
            throw DatabaseError(QStringLiteral("Cannot open the database %1: %2")
                                    .arg(Connection.Location().Describe(), EngineText(error)));
    }
}

template <typename Action> auto SqlSourcesDatabase::Guarded(Action action) {
    try {
        return action();
    } catch (const EngineFailure& failure) {
        throw DatabaseError(failure.Message + SaveGroupAfterFailure(failure.Kind, true));
    } catch (const DatabaseError& error) {
        throw DatabaseError(error.Message + SaveGroupAfterFailure(FailureKind::Other, false));
    }
}

void SqlSourcesDatabase::Execute(const QString& statement) {
    EnsureOpen();
    Guarded([&] {
        if (Run(statement))
            Remember(statement);
    });
}

QVariant SqlSourcesDatabase::ReadField(const QString& query, const QString& field) {
    EnsureOpen();
    return QVariant(Guarded([&] { return Count(query, field); }));
}

bool SqlSourcesDatabase::Run(const QString& text) {
    ParseStatement(text, Parsed);
    if (Parsed.Kind == StatementKind::Count)
        ThrowForStatement(
            QStringLiteral("A SELECT Count(*) query is read with ReadField, not run."), text);
    PreparedShape& shape = ShapeFor(Parsed, text);
    if (!Bind(shape, Parsed, text))
        return false;
    if (!shape.Statement->Run())
        ThrowEngineFailure(shape.Statement->Fault(), text);
    return true;
}

qint64 SqlSourcesDatabase::Count(const QString& query, const QString& field) {
    ParseStatement(query, Parsed);
    if (Parsed.Kind != StatementKind::Count)
        ThrowForStatement(QStringLiteral("ReadField reads SELECT Count(*) queries only."), query);
    if (Parsed.CountAlias.compare(field, Qt::CaseInsensitive) != 0)
        ThrowForStatement(QStringLiteral("The query has no field %1; its field is %2.")
                              .arg(field, Parsed.CountAlias.toString()),
                          query);
    PreparedShape& shape = ShapeFor(Parsed, query);
    qint64 count = 0;
    if (!shape.Statement->ReadCount(count))
        ThrowEngineFailure(shape.Statement->Fault(), query);
    return count;
}

// --- prepared shapes

SqlSourcesDatabase::PreparedShape& SqlSourcesDatabase::ShapeFor(const SqlStatement& statement,
                                                                const QString& text) {
    const std::size_t hash = StatementShape::QuickHash(statement);
    for (const std::unique_ptr<PreparedShape>& shape : Shapes)
        if (shape->Shape.Hash() == hash && shape->Shape.Matches(statement))
            return *shape;
    std::unique_ptr<PreparedShape> shape = Prepare(statement, text);
    if (Shapes.size() >= MaxPreparedShapes)
        Shapes.clear();
    Shapes.push_back(std::move(shape));
    return *Shapes.back();
}

const TableInfo& SqlSourcesDatabase::TableFor(const SqlStatement& statement, const QString& text) {
    const TableInfo* table = Catalog.Find(statement.Table);
    if (!table)
        ThrowForStatement(QStringLiteral("The database %1 has no table %2.")
                              .arg(Connection.Location().Describe(), statement.Table.toString()),
                          text);
    return *table;
}

std::unique_ptr<SqlSourcesDatabase::PreparedShape>
SqlSourcesDatabase::Prepare(const SqlStatement& statement, const QString& text) {
    const TableInfo& table = TableFor(statement, text);
    auto shape = std::make_unique<PreparedShape>(statement);
    QSet<const ColumnInfo*> assigned;
    const auto addColumn = [&](QStringView name, bool assigning) {
        const ColumnInfo* column = table.FindColumn(name);
        if (!column)
            ThrowForStatement(
                QStringLiteral("The table %1 has no column %2.").arg(table.Name, name.toString()),
                text);
        if (assigning && assigned.contains(column))
            ThrowForStatement(QStringLiteral("The column %1 is given twice.").arg(column->Name),
                              text);
        if (assigning)
            assigned.insert(column);
        shape->Columns.push_back(
            {column, statement.Kind == StatementKind::Insert && column->PrimaryKey});
    };
    for (const ColumnLiteral& item : statement.Values)
        addColumn(item.Column, true);
    for (const ColumnLiteral& item : statement.Conditions)
        addColumn(item.Column, false);
    if (statement.Kind == StatementKind::Insert)
        for (const ColumnInfo& column : table.Columns)
            if (column.PrimaryKey && !assigned.contains(&column))
                shape->AlwaysSkipped = true;
    shape->Statement = NewStatement();
    if (!shape->Statement->Prepare(BuildSql(statement, table, shape->Columns)))
        ThrowEngineFailure(shape->Statement->Fault(), text);
    return shape;
}

std::unique_ptr<PreparedStatement> SqlSourcesDatabase::NewStatement() {
    if (SqliteConnection)
        return std::make_unique<SqlitePreparedStatement>(SqliteConnection);
    return std::make_unique<QtPreparedStatement>(Connection.Database(), Engine());
}

QString SqlSourcesDatabase::BuildSql(const SqlStatement& statement, const TableInfo& table,
                                     const std::vector<BoundColumn>& columns) const {
    QStringList names;
    for (const BoundColumn& bound : columns)
        names << bound.Column->Name;
    const qsizetype values = qsizetype(statement.Values.size());
    const qsizetype conditions = qsizetype(statement.Conditions.size());
    switch (statement.Kind) {
    case StatementKind::Insert:
        // ON CONFLICT DO NOTHING skips only rows a PRIMARY KEY or UNIQUE constraint refuses;
        // every other failure still surfaces.
        return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT DO NOTHING")
            .arg(Quoted(table.Name), JoinedColumns(names, 0, values, u"%1", u", "),
                 QStringList(values, QStringLiteral("?")).join(u", "));
    case StatementKind::Update:
        return QStringLiteral("UPDATE %1 SET %2 WHERE %3")
            .arg(Quoted(table.Name), JoinedColumns(names, 0, values, u"%1 = ?", u", "),
                 JoinedColumns(names, values, conditions, u"%1 = ?", u" AND "));
    case StatementKind::Count:
        return QStringLiteral("SELECT COUNT(*) FROM %1").arg(Quoted(table.Name));
    }
    return {};
}

bool SqlSourcesDatabase::Bind(PreparedShape& shape, const SqlStatement& statement,
                              const QString& text) {
    if (shape.AlwaysSkipped)
        return false;
    int index = 0;
    try {
        for (const auto* items : {&statement.Values, &statement.Conditions}) {
            for (const ColumnLiteral& item : *items) {
                const BoundColumn& bound = shape.Columns[index];
                const ColumnValue value =
                    ConvertLiteralValue(item.Value, bound.Column->Type, bound.Column->Name);
                if (bound.SkipWhenNull && value.IsNull())
                    return false;
                shape.Statement->Bind(index, value);
                ++index;
            }
        }
    } catch (const DatabaseError& error) {
        ThrowForStatement(error.Message, text);
    }
    return true;
}

// --- failures and groups

EngineFault SqlSourcesDatabase::FaultOf(const QSqlError& error) {
    return {ClassifyFailure(Engine(), error, Connection.Database().isOpen()), EngineText(error)};
}

void SqlSourcesDatabase::ThrowEngineFailure(const EngineFault& fault, const QString& text) {
    QString message =
        QStringLiteral("The database %1 refused a statement: %2")
            .arg(Connection.Location().Describe(),
                 WithoutPassword(fault.Text, Connection.Location().Postgres.Password));
    if (const QString explanation = FailureExplanation(fault.Kind); !explanation.isEmpty())
        message += u' ' + explanation;
    throw EngineFailure(QStringLiteral("%1 Statement: %2").arg(message, StatementExcerpt(text)),
                        fault.Kind);
}

void SqlSourcesDatabase::RunCommand(const QString& command) {
    const QSqlError error = Connection.Run(command);
    if (error.isValid())
        ThrowEngineFailure(FaultOf(error), command);
}

void SqlSourcesDatabase::BeginGroup() {
    EnsureOpen();
    if (GroupDepth++ > 0)
        return;
    try {
        StartTransaction();
    } catch (const DatabaseError&) {
        GroupDepth = 0;
        throw;
    }
}

void SqlSourcesDatabase::EndGroup() {
    if (GroupDepth == 0 || --GroupDepth > 0)
        return;
    const QSqlError error = Connection.Run(QStringLiteral("COMMIT"));
    Uncommitted = false;
    SinceCheckpoint.clear();
    if (!error.isValid())
        return;
    Connection.Run(QStringLiteral("ROLLBACK"));
    throw DatabaseError(QStringLiteral("Cannot commit the statements to the database %1: %2 "
                                       "The statements since the last commit were not saved.")
                            .arg(Connection.Location().Describe(), EngineText(error)));
}

void SqlSourcesDatabase::StartTransaction() {
    RunCommand(QStringLiteral("BEGIN"));
    if (Engine() == DatabaseEngine::PostgreSQL)
        RunCommand(QStringLiteral("SAVEPOINT ") + CheckpointName);
}

void SqlSourcesDatabase::Remember(const QString& text) {
    if (GroupDepth == 0)
        return;
    Uncommitted = true;
    if (Engine() != DatabaseEngine::PostgreSQL)
        return;
    SinceCheckpoint.append(text);
    if (SinceCheckpoint.size() >= CheckpointInterval)
        TakeCheckpoint();
}

void SqlSourcesDatabase::TakeCheckpoint() {
    RunCommand(QStringLiteral("RELEASE SAVEPOINT ") + CheckpointName);
    RunCommand(QStringLiteral("SAVEPOINT ") + CheckpointName);
    SinceCheckpoint.clear();
}

// Returns what the user should add to the failure's message: nothing when the statements
// before the failing one are safe.
QString SqlSourcesDatabase::SaveGroupAfterFailure(FailureKind kind, bool engineFailed) {
    if (GroupDepth == 0)
        return {};
    if (kind == FailureKind::ConnectionLost) {
        const bool lost = Uncommitted;
        AbandonGroup();
        return lost ? QStringLiteral(" The statements not yet committed were lost with it.")
                    : QString();
    }
    try {
        if (engineFailed && Engine() == DatabaseEngine::PostgreSQL)
            RestoreCheckpoint();
        if (Uncommitted)
            CommitAndContinue();
        return {};
    } catch (const DatabaseError& error) {
        AbandonGroup();
        return QStringLiteral(" The statements before it could not be saved either: ") +
               error.Message;
    }
}

void SqlSourcesDatabase::RestoreCheckpoint() {
    RunCommand(QStringLiteral("ROLLBACK TO SAVEPOINT ") + CheckpointName);
    const QStringList replay = SinceCheckpoint;
    for (const QString& text : replay)
        Run(text);
}

void SqlSourcesDatabase::CommitAndContinue() {
    RunCommand(QStringLiteral("COMMIT"));
    Uncommitted = false;
    SinceCheckpoint.clear();
    StartTransaction();
}

void SqlSourcesDatabase::AbandonGroup() noexcept {
    GroupDepth = 0;
    Uncommitted = false;
    SinceCheckpoint.clear();
    Connection.Run(QStringLiteral("ROLLBACK"));
}

void SqlSourcesDatabase::Close() noexcept {
    if (Closed)
        return;
    Closed = true;
    if (GroupDepth > 0)
        Connection.Run(QStringLiteral("COMMIT")); // nothing executed is dropped on the way out
    GroupDepth = 0;
    Shapes.clear();
    Catalog.Forget();
    Connection.Close();
}

} // namespace tarnwick
