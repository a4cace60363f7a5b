#include "core/DatDirectory.h"
#include "dat/FileNames.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace tarnwick {

namespace {

#ifdef Q_OS_UNIX
// QDir leaves out a name that is not valid UTF-8, so such a file would be skipped without a
// word; the folder is read by its bytes instead, and every name is kept as the system stores it.
QStringList ListRegularFiles(const QString& folder, const QString& namePattern) {
    QByteArray folderBytes = EncodeFileName(folder);
    DIR* const directory = ::opendir(folderBytes.constData());
    if (!directory)
        return {};
    if (!folderBytes.endsWith('/'))
        folderBytes += '/';
    const QRegularExpression pattern(QRegularExpression::wildcardToRegularExpression(namePattern),
                                     QRegularExpression::CaseInsensitiveOption);
    QStringList names;
    while (const dirent* entry = ::readdir(directory)) {
        const QByteArray name(entry->d_name);
        if (name.startsWith('.')) // hidden, and the folder itself and its parent
            continue;
        // The pattern is matched against well-formed text: a regular expression does not
        // match the escapes of bytes that are not UTF-8.
        if (!pattern.match(QString::fromUtf8(name)).hasMatch())
            continue;
        struct stat status;
        // stat follows a link: a link to a file is listed, one that points nowhere is not.
        if (::stat((folderBytes + name).constData(), &status) == 0 && S_ISREG(status.st_mode))
            names << DecodeFileName(name);
    }
    ::closedir(directory);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}
#else
QStringList ListRegularFiles(const QString& folder, const QString& namePattern) {
    QDir directory(folder);
    directory.setNameFilters({namePattern});
    // Regular files only; name filters match without regard to case.
    directory.setFilter(QDir::Files);
    directory.setSorting(QDir::Name | QDir::IgnoreCase);
    return directory.entryList();
}
#endif

} // namespace

QStringList FileSystemDatDirectory::List(const QString& pattern) {
    // The folder text is a plain prefix: whatever follows its last separator belongs to the
    // name pattern, so a folder given without a final separator lists its parent.
    qsizetype cut = pattern.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    cut = std::max(cut, pattern.lastIndexOf(QLatin1Char('\\')));
#endif
    const QString folder = cut < 0 ? QStringLiteral(".") : pattern.left(cut + 1);
    return ListRegularFiles(folder, pattern.mid(cut + 1));
}

} // namespace tarnwick
