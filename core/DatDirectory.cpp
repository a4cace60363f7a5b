#include "core/DatDirectory.h"
#include "dat/FileNames.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace tarnwick {

namespace {

struct FolderEntries {
    QStringList Files;
    QStringList Folders;
    QString Fault; // the folder could not be read
};

// Which names a folder's listing takes: at the top, those beginning with the folder text's
// last part; below it, all.
struct NamePatterns {
    QRegularExpression Files;
    QRegularExpression Folders;
};

NamePatterns PatternsFor(const QString& prefix) {
    const auto wildcard = [](const QString& pattern) {
        return QRegularExpression::wildcardToRegularExpression(pattern);
    };
    return {QRegularExpression(wildcard(prefix + QStringLiteral("*.DAT")) + u'|' +
                                   wildcard(prefix + QStringLiteral("*.zip")),
                               QRegularExpression::CaseInsensitiveOption),
            QRegularExpression(wildcard(prefix + u'*'), QRegularExpression::CaseInsensitiveOption)};
}

#ifdef Q_OS_UNIX
// QDir leaves out a name that is not valid UTF-8, so such a file would be skipped without a
// word; the folder is read by its bytes instead, and every name is kept as the system stores it.
FolderEntries ReadFolder(const QString& folder, const NamePatterns& patterns) {
    QByteArray folderBytes = EncodeFileName(folder);
    DIR* const directory = ::opendir(folderBytes.isEmpty() ? "." : folderBytes.constData());
    if (!directory)
        return {{}, {}, qt_error_string(errno)};
    if (!folderBytes.isEmpty() && !folderBytes.endsWith('/'))
        folderBytes += '/';
    FolderEntries entries;
    while (const dirent* entry = ::readdir(directory)) {
        const QByteArray name(entry->d_name);
        if (name.startsWith('.')) // hidden, and the folder itself and its parent
            continue;
        // Patterns are matched against well-formed text: a regular expression does not match
        // the escapes of bytes that are not UTF-8.
        const QString text = QString::fromUtf8(name);
        struct stat status;
        // stat follows a link: a link to a file is listed, one that points nowhere is not.
        if (::stat((folderBytes + name).constData(), &status) != 0)
            continue;
        if (S_ISREG(status.st_mode) && patterns.Files.match(text).hasMatch()) {
            entries.Files << DecodeFileName(name);
        } else if (S_ISDIR(status.st_mode) && patterns.Folders.match(text).hasMatch()) {
            struct stat link;
            if (::lstat((folderBytes + name).constData(), &link) == 0 && !S_ISLNK(link.st_mode))
                entries.Folders << DecodeFileName(name);
        }
    }
    ::closedir(directory);
    return entries;
}
#else
FolderEntries ReadFolder(const QString& folder, const NamePatterns& patterns) {
    QDir directory(folder.isEmpty() ? QStringLiteral(".") : folder);
    if (!directory.exists())
        return {{}, {}, QStringLiteral("No such file or directory")};
    FolderEntries entries;
    for (const QFileInfo& info :
         directory.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (info.isFile() && patterns.Files.match(info.fileName()).hasMatch())
            entries.Files << info.fileName();
        else if (info.isDir() && !info.isSymLink() &&
                 patterns.Folders.match(info.fileName()).hasMatch())
            entries.Folders << info.fileName();
    }
    return entries;
}
#endif

void Walk(const QString& root, const QString& relative, const NamePatterns& patterns,
          bool subfolders, std::vector<ListedFile>& listed) {
    FolderEntries entries = ReadFolder(root + relative, patterns);
    if (!entries.Fault.isEmpty()) {
        // The folder text itself names nothing to list; a folder below that cannot be read is
        // named, so no part of an archive is left out in silence.
        if (!relative.isEmpty())
            listed.push_back({relative, QStringLiteral("Cannot open the folder %1: %2")
                                            .arg(root + relative, entries.Fault)});
        return;
    }
    std::sort(entries.Files.begin(), entries.Files.end(), FileNameLess);
    for (const QString& name : std::as_const(entries.Files))
        listed.push_back({relative + name, {}});
    if (!subfolders)
        return;
    std::sort(entries.Folders.begin(), entries.Folders.end(), NaturalLess);
    static const NamePatterns below = PatternsFor(QString());
    for (const QString& name : std::as_const(entries.Folders))
        Walk(root, relative + name + u'/', below, true, listed);
}

} // namespace

bool NaturalLess(const QString& a, const QString& b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype endA = i, endB = j;
            while (endA < a.size() && a[endA].isDigit())
                ++endA;
            while (endB < b.size() && b[endB].isDigit())
                ++endB;
            // Leading zeros aside, a longer run is the larger number.
            QStringView digitsA = QStringView(a).sliced(i, endA - i);
            QStringView digitsB = QStringView(b).sliced(j, endB - j);
            while (digitsA.size() > 1 && digitsA.front() == u'0')
                digitsA = digitsA.sliced(1);
            while (digitsB.size() > 1 && digitsB.front() == u'0')
                digitsB = digitsB.sliced(1);
            if (digitsA.size() != digitsB.size())
                return digitsA.size() < digitsB.size();
            if (const int order = digitsA.compare(digitsB); order != 0)
                return order < 0;
            i = endA;
            j = endB;
            continue;
        }
        const QChar x = a[i].toCaseFolded(), y = b[j].toCaseFolded();
        if (x != y)
            return x < y;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return a.size() - i < b.size() - j;
    return FileNameLess(a, b);
}

std::vector<ListedFile> FileSystemDatDirectory::List(const QString& folder, bool subfolders) {
    // The folder text is a plain prefix: whatever follows its last separator belongs to the
    // names, so a folder given without a final separator lists from its parent.
    qsizetype cut = folder.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    cut = std::max(cut, folder.lastIndexOf(QLatin1Char('\\')));
#endif
    std::vector<ListedFile> listed;
    Walk(cut < 0 ? QString() : folder.left(cut + 1), QString(), PatternsFor(folder.mid(cut + 1)),
         subfolders, listed);
    return listed;
}

} // namespace tarnwick
