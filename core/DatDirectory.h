#pragma once

#include <QString>
#include <QStringList>

namespace tarnwick {

// The directory listing behind ListDatFiles, so tests can change the folder under a batch.
class DatDirectory {
public:
    virtual ~DatDirectory() = default;
    // The names (without folder) of the regular files that match `pattern` (a folder prefix
    // followed by "*.DAT"), sorted by name without regard to case.
    virtual QStringList List(const QString& pattern) = 0;
};

// The file system listing: ".DAT" matches without regard to case; hidden files and folders
// are not listed. Names are kept as the system stores them, also when they are not UTF-8.
class FileSystemDatDirectory : public DatDirectory {
public:
    QStringList List(const QString& pattern) override;
};

} // namespace tarnwick
