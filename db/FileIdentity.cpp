#include "db/FileIdentity.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <time.h>
#endif

namespace tarnwick {

namespace {

#ifdef Q_OS_UNIX
qint64 Nanoseconds(const timespec& time) {
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

FileIdentity IdentityOf(const struct stat& status) {
    return {quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_size),
            Nanoseconds(status.st_mtim), Nanoseconds(status.st_ctim)};
}
#else
// Without inodes: the times Qt reads, to the millisecond.
std::optional<FileIdentity> IdentityOf(const QFileInfo& info) {
    if (!info.exists())
        return std::nullopt;
    const auto ns = [&](QFileDevice::FileTime which) {
        return info.fileTime(which).toMSecsSinceEpoch() * 1000000;
    };
    return FileIdentity{0, 0, info.size(), ns(QFileDevice::FileModificationTime),
                        ns(QFileDevice::FileMetadataChangeTime)};
}
#endif

} // namespace

std::optional<FileIdentity> IdentityOf(const QString& path) {
#ifdef Q_OS_UNIX
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return IdentityOf(status);
#else
    return IdentityOf(QFileInfo(path));
#endif
}

std::optional<FileIdentity> IdentityOf(const QFile& file) {
#ifdef Q_OS_UNIX
    struct stat status;
    if (file.handle() < 0 || ::fstat(file.handle(), &status) != 0)
        return std::nullopt;
    return IdentityOf(status);
#else
    return IdentityOf(QFileInfo(file));
#endif
}

qint64 FileClockNowNs() {
#ifdef Q_OS_UNIX
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
#else
    return QDateTime::currentMSecsSinceEpoch() * 1000000;
#endif
}

} // namespace tarnwick
