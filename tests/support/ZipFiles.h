#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// Zip files for the tests, written with libzip, and raw edits of their headers.
namespace tarnwick::test {

struct ZipEntry {
    QString Name;
    QByteArray Bytes;
    bool Encrypted = false; // AES-256 with a password
};

// Writes the entries, deflated, in their order; no entries give an empty zip.
void WriteZip(const QString& path, const std::vector<ZipEntry>& entries);

// The zip's bytes with the 32-bit field at `offset` of the first header that begins with
// `signature` set to `value`: in a central entry ("PK\1\2") 20 is the compressed size, 24 the
// size.
QByteArray WithHeaderField(QByteArray zip, const char* signature, int offset, quint32 value);

} // namespace tarnwick::test
