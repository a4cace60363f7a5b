#include "BatchUi.h"

#include <QDir>

#include <algorithm>

namespace tarnwick {

QStringList FileSystemDatDirectory::List(const QString& pattern) {
    // The folder text is a plain prefix: whatever follows its last separator belongs to the
    // name pattern, so a folder given without a final separator lists its parent.
    qsizetype cut = pattern.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    cut = std::max(cut, pattern.lastIndexOf(QLatin1Char('\\')));
#endif
    const QString folder = cut < 0 ? QStringLiteral(".") : pattern.left(cut + 1);
    QDir directory(folder);
    directory.setNameFilters({pattern.mid(cut + 1)});
    // Regular files only; name filters match without regard to case.
    directory.setFilter(QDir::Files);
    directory.setSorting(QDir::Name | QDir::IgnoreCase);
    return directory.entryList();
}

} // namespace tarnwick
