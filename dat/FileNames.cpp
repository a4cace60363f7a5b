#include "dat/FileNames.h"

#include "dat/Utf8.h"

#include <QFile>

namespace tarnwick {

QString DecodeFileName(QByteArrayView bytes) {
#ifdef Q_OS_UNIX
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    QString name;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const unsigned char c = static_cast<unsigned char>(bytes[at]);
        const qsizetype length = c < 0x80 ? 1 : Utf8SequenceLength(c);
        if (length > 0 && at + length <= bytes.size() && bytes.sliced(at, length).isValidUtf8()) {
            name += QString::fromUtf8(bytes.sliced(at, length));
            at += length;
        } else {
            name += QChar(char16_t(0xDC00 + c));
            ++at;
        }
    }
    return name;
#else
    return QFile::decodeName(bytes.toByteArray());
#endif
}

QByteArray EncodeFileName(const QString& name) {
#ifdef Q_OS_UNIX
    QByteArray bytes;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool escaped =
            c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !name[i - 1].isHighSurrogate());
        if (!escaped)
            continue;
        bytes += QStringView(name).sliced(runStart, i - runStart).toUtf8();
        bytes += char(c - 0xDC00);
        runStart = i + 1;
    }
    return bytes + QStringView(name).sliced(runStart).toUtf8();
#else
    return QFile::encodeName(name);
#endif
}

bool FileNameLess(const QString& a, const QString& b) {
    const int order = a.compare(b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

} // namespace tarnwick
