#pragma once

#include <QtGlobal>
#include <optional>

class QFile;
class QString;

namespace tarnwick {

// What tells one file, and one state of it, from another: the same path may name another file
// after a rename over it, and a rewrite may keep the size and the modification time (cp -p,
// rsync -a, unzip, or a write within one tick of a coarse clock). The status change time
// moves with every write and rename, and no program can set it back.
struct FileIdentity {
    quint64 Device = 0;
    quint64 Inode = 0;
    qint64 Size = -1;
    qint64 ModifiedNs = 0;
    qint64 ChangedNs = 0;

    bool operator==(const FileIdentity&) const = default;
    bool SameFile(const FileIdentity& other) const {
        return Device == other.Device && Inode == other.Inode;
    }
};

// The identity of the file `path` names (followed through links), or of an open file; none
// when there is no such file.
std::optional<FileIdentity> IdentityOf(const QString& path);
std::optional<FileIdentity> IdentityOf(const QFile& file);

// The clock file times are kept in, as nanoseconds since the epoch.
qint64 FileClockNowNs();

} // namespace tarnwick
