#include "db/SqlPieces.h"

#include <QStringList>

namespace tarnwick {

QString QuotedName(const QString& name) {
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString NameList(const TableInfo& table, const std::vector<qsizetype>& columns, QStringView format,
                 QStringView separator) {
    QStringList names;
    for (const qsizetype column : columns) {
        const QString name = QuotedName(table.Columns[std::size_t(column)].Name);
        names << format.toString().replace(QStringLiteral("%1"), name);
    }
    return names.join(separator);
}

QString Placeholders(qsizetype count) {
    return QStringList(count, QStringLiteral("?")).join(QStringLiteral(", "));
}

} // namespace tarnwick
