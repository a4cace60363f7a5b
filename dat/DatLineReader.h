#pragma once

#include "dat/ByteSource.h"
#include "dat/ContentHash.h"
#include "db/Error.h"
#include "db/FileIdentity.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <memory>

namespace tarnwick {

// One record line: the bytes of a physical line without its ending and without the blanks
// before its first character, so the record code is always at columns 1-3.
struct DatLine {
    QByteArrayView Text;
    qint64 Number = 0; // 1-based physical line of the file
};

// The identity of the file `path` names as FileStamp::SettledText writes it; empty when there is
// no such file.
QString IdentityText(const QString& path);

// A file as it was when opened, and when that was.
struct FileStamp {
    std::optional<FileIdentity> Identity;
    qint64 OpenedNs = 0;

    // Whether `later` is surely the same file in the same state, with no need to compare its
    // bytes: the same identity, and a last change well before this opening, as a change within
    // a tick of a coarse clock could leave every time as it was.
    bool SurelySame(const FileStamp& later) const;
    // The file's identity as text when it had settled by this opening, so that the same text
    // later says the same bytes; empty when it had not.
    QString SettledText() const;
};

// What a reader read: the file as it was opened, and the number and SHA-256 of its bytes.
struct FileRead {
    FileStamp Stamp;
    QByteArray Sha256;
    qint64 Size = 0;
};

// Called inside a file's transaction once its rows are written, before they are committed, so
// that what it records is committed with them or not at all.
using FileWritten = std::function<void(const FileRead&)>;

// Reads a ".DAT" file, or a member of a zip, line by line. A line ends at CR, LF or CR LF; a last
// line without an ending still counts; empty lines are skipped. Commas and double quotes are
// ordinary characters, and bytes above 127 pass through unchanged. The file is closed when the
// reader goes out of scope, on every path.
class DatFileReader {
public:
    explicit DatFileReader(const DatPath& path); // throws Error (File)
    ~DatFileReader();
    DatFileReader(const DatFileReader&) = delete;
    DatFileReader& operator=(const DatFileReader&) = delete;

    const FileStamp& Stamp() const { return Opened; }

    // SHA-256 of the bytes read so far; once NextLine() or SkipToEnd() reached the end, of the
    // whole file. Ends the hash.
    QByteArray Sha256() { return Hash.HexDigest(); }
    // Once the end was reached: what was read. Ends the hash.
    FileRead Finished() { return {Opened, Hash.HexDigest(), Size}; }
    // Reads, and hashes, the rest of the file without taking its lines.
    void SkipToEnd(); // throws Error (File) on a read error

    // The next non-empty line, valid until the following call. False at the end of the file.
    bool NextLine(DatLine& line); // throws Error (File) on a read error

private:
    bool FillBuffer();

    std::unique_ptr<ByteSource> Source;
    QString Path; // as messages name it
    FileStamp Opened;
    qint64 Size = 0;
    ContentHash Hash;
    QByteArray Buffer;
    qsizetype Position = 0;
    qsizetype Scanned = 0; // bytes from Position on known to hold no line end
    qint64 LineNumber = 0;
    bool AtEnd = false;
    bool PendingLineFeed = false; // the previous chunk ended in CR: a leading LF is its pair
};

// The record code: the first three characters, or an empty view for a shorter line.
QByteArrayView RecordType(QByteArrayView line);

} // namespace tarnwick
