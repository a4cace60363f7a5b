#pragma once

#include "view/SourcesTables.h"

#include <QDate>
#include <QIODevice>
#include <QVariant>
#include <optional>

namespace tarnwick {

class SourcesReader;

// One field as RFC 4180 has it: between double quotes, with quotes doubled, when it holds a
// comma, a double quote, CR or LF.
QString CsvField(const QString& text);

// Fields joined into one UTF-8 line ending in CRLF.
QByteArray CsvLine(const QStringList& fields);

// A value as the views show it: empty for NULL, dates as YYYY-MM-DD, numbers in the shortest
// form that reads back as the same number, text as it is.
QString ValueText(const QVariant& value);

// Writes `bytes` or throws Error naming `what`.
void WriteOut(QIODevice& out, const QByteArray& bytes, const QString& what);

struct ExportFilter {
    std::optional<qint64> FacilityId;
    std::optional<QString> UnitId;
    std::optional<QDate> From; // inclusive, on the table's DateColumn
    std::optional<QDate> To;
};

struct ExportRequest {
    const SourcesTable* Table = nullptr;
    ExportFilter Filter;
    QStringList Columns; // the table's spelling, in the order written
};

// Matches the table name (and the columns, all of them when none are given) to the known ones
// and checks that the table has a column for each filter. Throws Error (Request).
ExportRequest ReadExportRequest(QStringView table, const ExportFilter& filter,
                                const QStringList& columns = {});

// Writes the header and the rows in key order to `out`, one row at a time. Returns the number
// of rows. Throws Error when the table holds no row of the filter's
// facility or unit or `out` cannot be written.
qint64 ExportCsv(SourcesReader& reader, const ExportRequest& request, QIODevice& out);

} // namespace tarnwick
