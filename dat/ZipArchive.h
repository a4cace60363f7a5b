#pragma once

#include "dat/ByteSource.h"

#include <memory>
#include <vector>

namespace tarnwick {

// A zip's members expand to at most this many times the zip's own size (or to
// ZipExpansionFloor bytes) before the zip is taken for a bomb and not read.
inline constexpr qint64 ZipExpansionLimit = 1000;
inline constexpr qint64 ZipExpansionFloor = qint64(1) << 20;

// A member of a zip that a batch is to read, or why it cannot be.
struct ZipMember {
    QString Name; // as the zip holds it, in UTF-8 (names not marked so are read as CP437)
    qint64 Index = -1;
    QString Fault; // empty when it is read
};

// What a batch reads of a zip: the members whose names end in ".DAT" (any case) in name order,
// or, with none, its only file; members that are zips themselves are named with a fault.
// A zip that cannot be read at all has a Fault of its own and no members.
struct ZipListing {
    QString Fault;
    std::vector<ZipMember> Members;
};

// Never throws; `shown` names the zip in the faults.
ZipListing ListZip(const QString& path, const QString& shown);

// Opens a member for reading (found at path.MemberIndex when the name there is still
// path.Member, else by its name). The bytes come straight from the zip, a chunk at a time, and
// never more than the member declares. Throws Error (File).
std::unique_ptr<ByteSource> OpenZipMember(const DatPath& path);

// True for a name that ends in ".zip", in any case.
bool IsZipName(const QString& name);

} // namespace tarnwick
