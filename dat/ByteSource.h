#pragma once

#include "db/FileIdentity.h"

#include <QString>
#include <optional>

namespace tarnwick {

// What a reader reads: a file, or a member of a zip file. Made from a path alone, it is the
// file at that path.
struct DatPath {
    DatPath() = default;
    DatPath(QString file) : File(std::move(file)) {} // NOLINT: a plain path is a file
    DatPath(QString file, QString member, qint64 index = -1)
        : File(std::move(file)), Member(std::move(member)), MemberIndex(index) {}

    QString File;            // the ".DAT" file, or the zip
    QString Member;          // the member's name as the zip holds it; empty for a file
    qint64 MemberIndex = -1; // where the listing found it in the zip, checked by its name

    bool IsMember() const { return !Member.isEmpty(); }
    // As captions and messages name it: the file, or "<zip>:<member>" with the member's name
    // made safe to print.
    QString Shown() const;

    bool operator==(const DatPath& other) const {
        return File == other.File && Member == other.Member;
    }
};

// A member's name as it may be printed: control and formatting characters (a line end, an
// escape, a change of writing direction) each shown as '?'.
QString SafeMemberName(const QString& name);

// The bytes of a file or of a zip member, read in order.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes into `into`; 0 at the end. Throws Error (File).
    virtual qint64 Read(char* into, qint64 size) = 0;
    // The file the bytes lie in (the zip, for a member), as it was when opened.
    virtual std::optional<FileIdentity> Identity() const = 0;
};

} // namespace tarnwick
