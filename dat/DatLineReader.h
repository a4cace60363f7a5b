#pragma once

#include "db/Error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace tarnwick {

// One record line: the bytes of a physical line without its ending and without the blanks
// before its first character, so the record code is always at columns 1-3.
struct DatLine {
    QByteArrayView Text;
    qint64 Number = 0; // 1-based physical line of the file
};

// What tells one state of a file from another: its size and last change, as seen when opened.
struct FileStamp {
    qint64 Size = -1;
    qint64 ModifiedMs = 0;
    bool operator==(const FileStamp&) const = default;
};

// Reads a ".DAT" file line by line. A line ends at CR, LF or CR LF; a last line without an
// ending still counts; empty lines are skipped. Commas and double quotes are ordinary
// characters, and bytes above 127 pass through unchanged. The file is closed when the
// reader goes out of scope, on every path.
class DatFileReader {
public:
    explicit DatFileReader(const QString& path); // throws Error (File)
    DatFileReader(const DatFileReader&) = delete;
    DatFileReader& operator=(const DatFileReader&) = delete;

    FileStamp Stamp() const;

    // The next non-empty line, valid until the following call. False at the end of the file.
    bool NextLine(DatLine& line); // throws Error (File) on a read error

private:
    bool FillBuffer();

    QFile File;
    QString Path;
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
