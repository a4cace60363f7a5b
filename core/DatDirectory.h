#pragma once

#include <QString>
#include <vector>

namespace tarnwick {

// A file the listing found, by its name relative to the folder listed (from its last
// separator); a folder below it that could not be read is listed by its name, ending in '/',
// with why.
struct ListedFile {
    QString Name;
    QString Fault;
    bool operator==(const ListedFile&) const = default;
};

// The directory listing behind ListDatFiles, so tests can change the folder under a batch.
class DatDirectory {
public:
    virtual ~DatDirectory() = default;
    // The ".DAT" and ".zip" files of `folder`, a plain prefix: what follows its last separator
    // begins every name (and, with `subfolders`, every folder) listed there. Each folder's files
    // come sorted by name without regard to case; with `subfolders`, then each folder below it,
    // in natural order (q2 before q10), with all it holds. Names use '/' between folders.
    virtual std::vector<ListedFile> List(const QString& folder, bool subfolders) = 0;
};

// The file system listing: ".DAT" and ".zip" match without regard to case; hidden files and
// folders are not listed, nor links to folders, so no loop of links makes a walk endless.
// Names are kept as the system stores them, also when they are not UTF-8.
class FileSystemDatDirectory : public DatDirectory {
public:
    std::vector<ListedFile> List(const QString& folder, bool subfolders) override;
};

// Natural order: runs of digits compare by their value, the rest without regard to case.
bool NaturalLess(const QString& a, const QString& b);

} // namespace tarnwick
