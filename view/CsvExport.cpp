#include "view/CsvExport.h"

#include "db/Error.h"
#include "view/SourcesReader.h"

#include <QLocale>
#include <cmath>

namespace tarnwick {

namespace {

const QString FieldEnd = QStringLiteral("\r\n");

bool NeedsQuotes(const QString& text) {
    for (QChar c : text)
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n')
            return true;
    return false;
}

QString OrderTerm(const SourcesReader& reader, const QString& column) {
    if (column == u"UNIT_ID" || column == u"FUEL_TYPE_COMBUSTED")
        return reader.CodePointOrder(column);
    // The one key column that may be empty; both engines put NULL first only when told.
    if (column == u"DATE_OF_REPORT")
        return column + QStringLiteral(" NULLS FIRST");
    return column;
}

// The WHERE clause of the filter, its values appended to `values`.
QString Condition(const ExportRequest& request, QVariantList& values) {
    const SourcesTable& table = *request.Table;
    const ExportFilter& filter = request.Filter;
    QStringList terms;
    if (filter.FacilityId) {
        terms << table.FacilityColumn + QStringLiteral(" = ?");
        values << *filter.FacilityId;
    }
    if (filter.UnitId) {
        terms << table.UnitColumn + QStringLiteral(" = ?");
        values << *filter.UnitId;
    }
    if (filter.From) {
        terms << table.DateColumn + QStringLiteral(" >= ?");
        values << DateParameter(*filter.From);
    }
    if (filter.To) {
        terms << table.DateColumn + QStringLiteral(" <= ?");
        values << DateParameter(*filter.To);
    }
    return terms.isEmpty() ? QString()
                           : QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
}

bool HasRow(SourcesReader& reader, const SourcesTable& table, qint64 facility,
            const std::optional<QString>& unit) {
    QString sql =
        QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?").arg(table.Name, table.FacilityColumn);
    QVariantList values{facility};
    if (unit) {
        sql += QStringLiteral(" AND %1 = ?").arg(table.UnitColumn);
        values << *unit;
    }
    return reader.Run(sql + QStringLiteral(" LIMIT 1"), values).next();
}

// An unknown facility or unit would otherwise give a header and nothing else, which reads as
// "loaded, but empty".
void RequireFilteredRows(SourcesReader& reader, const ExportRequest& request) {
    const SourcesTable& table = *request.Table;
    const ExportFilter& filter = request.Filter;
    if (!filter.FacilityId)
        return;
    if (!HasRow(reader, table, *filter.FacilityId, std::nullopt))
        throw Error(QStringLiteral("The table %1 holds no rows of facility %2.")
                        .arg(table.Name)
                        .arg(*filter.FacilityId),
                    FailureKind::File);
    if (filter.UnitId && !HasRow(reader, table, *filter.FacilityId, filter.UnitId))
        throw Error(QStringLiteral("The table %1 holds no rows of unit \"%2\" of facility %3.")
                        .arg(table.Name, *filter.UnitId)
                        .arg(*filter.FacilityId),
                    FailureKind::File);
}

} // namespace

QString CsvField(const QString& text) {
    if (!NeedsQuotes(text))
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QByteArray CsvLine(const QStringList& fields) {
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& field : fields)
        quoted << CsvField(field);
    return (quoted.join(u',') + FieldEnd).toUtf8();
}

QString ValueText(const QVariant& value) {
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        // Fixed notation for the magnitudes these tables hold; flows run to millions.
        if (std::abs(number) >= 1e-4 && std::abs(number) < 1e15)
            return QString::number(number, 'f', QLocale::FloatingPointShortest);
        return QString::number(number, 'g', QLocale::FloatingPointShortest);
    }
    default:
        return value.toString();
    }
}

void WriteOut(QIODevice& out, const QByteArray& bytes, const QString& what) {
    if (out.write(bytes) != bytes.size())
        throw Error(QStringLiteral("Cannot write %1: %2").arg(what, out.errorString()),
                    FailureKind::File);
}

ExportRequest ReadExportRequest(QStringView tableName, const ExportFilter& filter,
                                const QStringList& columns) {
    const SourcesTable* table = FindSourcesTable(tableName);
    if (!table) {
        QStringList names;
        for (const SourcesTable& known : SourcesTables())
            names << known.Name;
        throw Error(QStringLiteral("There is no table \"%1\"; the tables are %2.")
                        .arg(tableName.toString(), names.join(QStringLiteral(", "))),
                    FailureKind::Request);
    }
    if (filter.UnitId && table->UnitColumn.isEmpty())
        throw Error(
            QStringLiteral("The table %1 has no unit column to filter by.").arg(table->Name),
            FailureKind::Request);
    if ((filter.From || filter.To) && table->DateColumn.isEmpty())
        throw Error(QStringLiteral("The table %1 has no date column to filter by; --from and --to "
                                   "apply to EMISSIONS (DATA_DATE) and QUARTERS (DATE_OF_REPORT).")
                        .arg(table->Name),
                    FailureKind::Request);
    if (filter.From && filter.To && *filter.From > *filter.To)
        throw Error(QStringLiteral("The first day %1 comes after the last day %2.")
                        .arg(filter.From->toString(Qt::ISODate), filter.To->toString(Qt::ISODate)),
                    FailureKind::Request);
    ExportRequest request{table, filter, {}};
    for (const QString& column : columns) {
        const QString known = table->FindColumn(column);
        if (known.isEmpty())
            throw Error(
                QStringLiteral("The table %1 has no column \"%2\".").arg(table->Name, column),
                FailureKind::Request);
        request.Columns << known;
    }
    if (request.Columns.isEmpty())
        request.Columns = table->Columns;
    return request;
}

qint64 ExportCsv(SourcesReader& reader, const ExportRequest& request, QIODevice& out) {
    const SourcesTable& table = *request.Table;
    RequireFilteredRows(reader, request);
    QVariantList values;
    QStringList order;
    for (const QString& key : table.Key)
        order << OrderTerm(reader, key);
    const QString sql = QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4")
                            .arg(request.Columns.join(QStringLiteral(", ")), table.Name,
                                 Condition(request, values), order.join(QStringLiteral(", ")));
    QSqlQuery query = reader.Run(sql, values);
    const QString what = QStringLiteral("the rows of %1").arg(table.Name);
    WriteOut(out, CsvLine(request.Columns), what);
    const int columnCount = int(request.Columns.size());
    QStringList fields;
    qint64 rows = 0;
    while (reader.Next(query, what)) {
        fields.clear();
        for (int column = 0; column < columnCount; ++column)
            fields << ValueText(query.value(column));
        WriteOut(out, CsvLine(fields), what);
        ++rows;
    }
    return rows;
}

} // namespace tarnwick
