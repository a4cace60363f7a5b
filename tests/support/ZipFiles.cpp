#include "tests/support/ZipFiles.h"

#include <QFile>
#include <stdexcept>
#include <zip.h>

namespace tarnwick::test {

void WriteZip(const QString& path, const std::vector<ZipEntry>& entries) {
    if (entries.empty()) { // libzip writes no zip without entries: the end record alone
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0')) != 22)
            throw std::runtime_error("cannot write an empty zip");
        return;
    }
    int error = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        throw std::runtime_error("cannot create a zip");
    for (const ZipEntry& entry : entries) {
        zip_source_t* source =
            zip_source_buffer(zip, entry.Bytes.constData(), zip_uint64_t(entry.Bytes.size()), 0);
        const zip_int64_t index =
            source ? zip_file_add(zip, entry.Name.toUtf8().constData(), source, ZIP_FL_ENC_GUESS)
                   : -1;
        if (index < 0 ||
            (entry.Encrypted &&
             zip_file_set_encryption(zip, zip_uint64_t(index), ZIP_EM_AES_256, "secret") != 0)) {
            zip_source_free(source);
            zip_discard(zip);
            throw std::runtime_error("cannot add to a zip");
        }
    }
    if (zip_close(zip) != 0) {
        zip_discard(zip);
        throw std::runtime_error("cannot write a zip");
    }
}

QByteArray WithHeaderField(QByteArray zip, const char* signature, int offset, quint32 value) {
    const qsizetype central = zip.indexOf(QByteArray(signature, 4));
    if (central < 0)
        throw std::runtime_error("no such header");
    for (int i = 0; i < 4; ++i)
        zip[central + offset + i] = char((value >> (8 * i)) & 0xff);
    return zip;
}

} // namespace tarnwick::test
