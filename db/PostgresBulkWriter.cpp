#include "db/PostgresBulkWriter.h"

#include "db/DatabaseConnection.h"
#include "db/DatabaseFailure.h"
#include "db/DatabaseLocation.h"
#include "db/SqlPieces.h"

#include <QSqlDriver>
#include <algorithm>
#include <charconv>
#include <libpq-fe.h>

namespace tarnwick {

namespace {

const QString ShapeColumn = QStringLiteral("tarnwick_shape");

// COPY's text format: tab between fields, \N for NULL, backslash escapes in text.
void AppendCopyText(QByteArray& out, QStringView text) {
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        const char escape = c == '\\'   ? '\\'
                            : c == '\t' ? 't'
                            : c == '\n' ? 'n'
                            : c == '\r' ? 'r'
                                        : 0;
        if (escape) {
            out.append('\\');
            out.append(escape);
        } else {
            out.append(c);
        }
    }
}

template <typename Number> void AppendNumber(QByteArray& out, Number value) {
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end - digits);
}

// YYYY-MM-DD, as QDate::toString(Qt::ISODate) writes the years 1 to 9999 that a DATE holds
// here, without its two allocations per row.
void AppendIsoDate(QByteArray& out, QDate date) {
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    if (year < 1 || year > 9999) {
        out.append(date.toString(Qt::ISODate).toLatin1());
        return;
    }
    char text[] = "0000-00-00";
    for (int i = 3; i >= 0; --i, year /= 10)
        text[i] = char('0' + year % 10);
    text[5] = char('0' + month / 10);
    text[6] = char('0' + month % 10);
    text[8] = char('0' + day / 10);
    text[9] = char('0' + day % 10);
    out.append(text, 10);
}

// Doubles in their shortest form that reads back to the same double, as Qt's driver sends them.
void AppendCopyValue(QByteArray& out, const ColumnValue& value) {
    switch (value.ValueKind) {
    case ColumnValue::Kind::Null:
        out.append("\\N");
        return;
    case ColumnValue::Kind::Integer:
        return AppendNumber(out, value.Integer);
    case ColumnValue::Kind::Real:
        return AppendNumber(out, value.Real);
    case ColumnValue::Kind::Date:
        return AppendIsoDate(out, value.Date);
    case ColumnValue::Kind::Text:
        return AppendCopyText(out, value.Text.Text);
    }
}

EngineFault FaultOf(PGconn* connection, const PGresult* result) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    FailureKind kind = FailureKind::Engine;
    if (PQstatus(connection) != CONNECTION_OK)
        kind = FailureKind::ConnectionLost;
    else if (state)
        kind = ClassifyPostgresState(QString::fromLatin1(state));
    const char* message = result ? PQresultErrorMessage(result) : PQerrorMessage(connection);
    if (!message || !*message)
        message = PQerrorMessage(connection);
    QString text = QString::fromUtf8(message).trimmed();
    if (state)
        text += QStringLiteral("\n(%1)").arg(QString::fromLatin1(state));
    return {kind, EngineSentence(text)};
}

// Owns a result and clears it on every path.
struct Result {
    explicit Result(PGresult* result) : Value(result) {}
    ~Result() { PQclear(Value); }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    PGresult* Value;
};

// A COPY sends its data in pieces of this size.
constexpr qsizetype CopyPieceBytes = 1 << 18;

} // namespace

PostgresBulkWriter::PostgresBulkWriter(const DatabaseLocation& location, pg_conn* connection)
    : Location(location), Connection(connection) {}

qint64 PostgresBulkWriter::Run(const QString& sql) {
    Result result(PQexec(Connection, sql.toUtf8().constData()));
    const ExecStatusType status = PQresultStatus(result.Value);
    if (status == PGRES_TUPLES_OK) // a count
        return QByteArray(PQgetvalue(result.Value, 0, 0)).toLongLong();
    if (status != PGRES_COMMAND_OK)
        ThrowEngineFailure(Location, FaultOf(Connection, result.Value), sql);
    return QByteArray(PQcmdTuples(result.Value)).toLongLong();
}

// Made once per transaction, with the table's column names and types but none of its rules,
// and dropped at its end: the staging rows never outlive the file they came from.
QString PostgresBulkWriter::StagingTableFor(const TableInfo& table) {
    const QString name = QuotedName(QStringLiteral("tarnwick_staging_") + table.Name.toLower());
    if (StagingTables.contains(name)) {
        Run(QStringLiteral("TRUNCATE ") + name);
        return name;
    }
    Run(QStringLiteral("CREATE TEMPORARY TABLE %1 ON COMMIT DROP AS SELECT * FROM %2 WITH NO DATA")
            .arg(name, QuotedName(table.Name)));
    Run(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 integer").arg(name, ShapeColumn));
    StagingTables << name;
    return name;
}

// Streams the rows of the fold into `target` with COPY: of each row (of one shape, when
// `onlyShape` names one) its `columns`, after the number of its shape for the staging table.
void PostgresBulkWriter::Copy(const TableFold& fold, const QString& target,
                              const std::vector<qsizetype>& columns,
                              const std::vector<TableFold::RowShape>& shapes,
                              std::optional<std::size_t> onlyShape) {
    const QString names = NameList(fold.Table(), columns, u"%1", u", ");
    const QString copy =
        onlyShape ? QStringLiteral("COPY %1 (%2) FROM STDIN").arg(target, names)
                  : QStringLiteral("COPY %1 (%2, %3) FROM STDIN").arg(target, ShapeColumn, names);
    {
        Result started(PQexec(Connection, copy.toUtf8().constData()));
        if (PQresultStatus(started.Value) != PGRES_COPY_IN)
            ThrowEngineFailure(Location, FaultOf(Connection, started.Value), copy);
    }
    QByteArray data;
    data.reserve(CopyPieceBytes + 4096);
    const auto send = [&] {
        if (!data.isEmpty() && PQputCopyData(Connection, data.constData(), int(data.size())) != 1)
            ThrowEngineFailure(Location, FaultOf(Connection, nullptr), copy);
        data.clear();
    };
    for (qsizetype row = 0; row < fold.RowCount(); ++row) {
        const std::size_t shape = std::size_t(
            std::find(shapes.begin(), shapes.end(), fold.ShapeOf(row)) - shapes.begin());
        if (onlyShape && shape != *onlyShape)
            continue;
        if (!onlyShape) {
            AppendNumber(data, int(shape));
            data.append('\t');
        }
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i > 0)
                data.append('\t');
            AppendCopyValue(data, fold.ValueOf(row, columns[i]));
        }
        data.append('\n');
        if (data.size() >= CopyPieceBytes)
            send();
    }
    send();
    if (PQputCopyEnd(Connection, nullptr) != 1)
        ThrowEngineFailure(Location, FaultOf(Connection, nullptr), copy);
    EngineFault fault;
    bool failed = false;
    while (PGresult* raw = PQgetResult(Connection)) {
        Result result(raw);
        if (!failed && PQresultStatus(raw) != PGRES_COMMAND_OK) {
            fault = FaultOf(Connection, raw);
            failed = true;
        }
    }
    if (failed)
        ThrowEngineFailure(Location, fault, copy);
}

// Rows that are all new go straight into the table with COPY, as fast as the server takes
// rows in; a row already there makes the COPY fail, and the savepoint puts the table back
// for the staging path, which handles every case.
bool PostgresBulkWriter::CopyStraightIn(const TableFold& fold,
                                        const std::vector<TableFold::RowShape>& shapes) {
    const bool allInserted =
        std::all_of(shapes.begin(), shapes.end(),
                    [](const TableFold::RowShape& shape) { return shape.Inserted; });
    if (!allInserted || RowsAlreadyThere)
        return false;
    Run(QStringLiteral("SAVEPOINT tarnwick_copy"));
    try {
        for (std::size_t index = 0; index < shapes.size(); ++index)
            Copy(fold, QuotedName(fold.Table().Name), InsertedColumns(shapes[index]), shapes,
                 index);
    } catch (const Error& error) {
        // Only a row already there sends the rows through the staging table; any other
        // failure, a lock waited for in vain included, would only be met there again.
        if (error.Kind != FailureKind::Constraint)
            throw;
        Run(QStringLiteral("ROLLBACK TO SAVEPOINT tarnwick_copy"));
        RowsAlreadyThere = true;
        return false;
    }
    Run(QStringLiteral("RELEASE SAVEPOINT tarnwick_copy"));
    return true;
}

qint64 PostgresBulkWriter::Write(const TableFold& fold) {
    std::vector<TableFold::RowShape> shapes;
    for (qsizetype row = 0; row < fold.RowCount(); ++row)
        if (std::find(shapes.begin(), shapes.end(), fold.ShapeOf(row)) == shapes.end())
            shapes.push_back(fold.ShapeOf(row));
    if (CopyStraightIn(fold, shapes))
        return fold.RowCount();
    const TableInfo& table = fold.Table();
    const QString staging = StagingTableFor(table);
    std::vector<qsizetype> all(table.Columns.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = qsizetype(i);
    Copy(fold, staging, all, shapes, std::nullopt);
    const QString target = QuotedName(table.Name);
    const QString sameKey = NameList(table, fold.KeyColumns(), u"t.%1 = s.%1", u" AND ");
    qint64 added = 0;
    for (std::size_t index = 0; index < shapes.size(); ++index) {
        const TableFold::RowShape& shape = shapes[index];
        const QString ofShape = QStringLiteral("%1 = %2").arg(ShapeColumn).arg(index);
        if (!shape.Inserted) {
            Run(QStringLiteral("UPDATE %1 AS t SET %2 FROM %3 AS s WHERE s.%4 AND %5")
                    .arg(target,
                         NameList(table, ColumnsIn(shape.UpdateColumns), u"%1 = s.%1", u", "),
                         staging, ofShape, sameKey));
            continue;
        }
        // An upsert counts the rows it updated with those it inserted: count the new ones first.
        const qint64 inserted =
            shape.UpdateColumns == 0
                ? 0
                : Run(QStringLiteral("SELECT count(*) FROM %1 AS s WHERE s.%2 AND NOT EXISTS "
                                     "(SELECT 1 FROM %3 AS t WHERE %4)")
                          .arg(staging, ofShape, target, sameKey));
        const qint64 written = Run(UpsertSql(
            fold, shape,
            QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                .arg(NameList(table, InsertedColumns(shape), u"%1", u", "), staging, ofShape)));
        added += shape.UpdateColumns == 0 ? written : inserted;
    }
    return added;
}

} // namespace tarnwick
