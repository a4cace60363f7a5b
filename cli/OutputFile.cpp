#include "cli/OutputFile.h"

#include "db/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnwick {

namespace {

constexpr qint64 PendingLimit = 64 * 1024;

// Writes all `size` bytes. Returns 0, or errno of the write that failed.
int WriteAll(int descriptor, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, std::size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += written;
        size -= written;
    }
    return 0;
}

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

std::optional<struct stat> Status(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return status;
}

// The path a file is reached by in the end, its symbolic links followed; for a file not made
// yet, its folder's real path and its name.
QString FinalPath(const QString& path) {
    QFileInfo info(path);
    for (int links = 0; links < 40 && info.isSymLink(); ++links)
        info.setFile(info.symLinkTarget());
    const QString folder = QDir(info.absolutePath()).canonicalPath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

bool NamesDatabase(const QString& path, const QString& database) {
    const QString target = FinalPath(path);
    const QString databasePath = FinalPath(database);
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        if (target == databasePath + QLatin1String(suffix))
            return true;
    const auto file = Status(path);
    const auto databaseFile = Status(database);
    return file && databaseFile && file->st_dev == databaseFile->st_dev &&
           file->st_ino == databaseFile->st_ino;
}

} // namespace

StandardOutputBuffer::StandardOutputBuffer() {
    setp(Buffer.data(), Buffer.data() + Buffer.size());
}

int StandardOutputBuffer::overflow(int c) {
    if (sync() != 0)
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof()))
        sputc(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
}

int StandardOutputBuffer::sync() {
    const qint64 size = pptr() - pbase();
    setp(Buffer.data(), Buffer.data() + Buffer.size());
    if (FirstError == 0)
        FirstError = WriteAll(STDOUT_FILENO, Buffer.data(), size);
    return FirstError == 0 ? 0 : -1;
}

QString StandardOutputBuffer::Close() {
    sync();
    // A file system may report a failed write only at the close. A standard output that was
    // never open fails only when written to.
    if (::close(STDOUT_FILENO) != 0 && errno != EBADF && FirstError == 0)
        FirstError = errno;
    return FirstError == 0 ? QString() : Reason(FirstError);
}

OutputFile::OutputFile(const QString& path, const QString& database) : Path(path) {
    if (!path.isEmpty() && NamesDatabase(path, database))
        throw Error(QStringLiteral("--out %1 would overwrite the database %2 being read; choose "
                                   "another file")
                        .arg(path, database),
                    FailureKind::Request);
}

OutputFile::~OutputFile() = default;

QString OutputFile::Name() const {
    return Path.isEmpty() ? QStringLiteral("standard output") : Path;
}

void OutputFile::Open() {
    const auto status = Path.isEmpty() ? std::nullopt : Status(Path);
    bool opened = false;
    if (Path.isEmpty()) {
        auto out = std::make_unique<QFile>();
        opened = out->open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
        File = std::move(out);
    } else if (!status || S_ISREG(status->st_mode)) {
        File = std::make_unique<QSaveFile>(Path);
        opened = File->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    } else {
        File = std::make_unique<QFile>(Path);
        opened = File->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    if (!opened)
        Fail();
    Descriptor = File->handle();
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 OutputFile::writeData(const char* data, qint64 size) {
    Pending.append(data, size);
    if (Pending.size() >= PendingLimit && !WritePending())
        return -1;
    return FirstError == 0 ? size : -1;
}

bool OutputFile::WritePending() {
    if (FirstError == 0)
        FirstError = WriteAll(Descriptor, Pending.constData(), Pending.size());
    Pending.clear();
    if (FirstError != 0)
        setErrorString(Reason(FirstError));
    return FirstError == 0;
}

void OutputFile::ThrowIfFailed() {
    if (FirstError != 0)
        Fail();
}

void OutputFile::Finish() {
    if (!WritePending())
        Fail();
    QIODevice::close();
    if (auto* aside = dynamic_cast<QSaveFile*>(File.get())) {
        // QSaveFile syncs but drops the answer, where a file system may report a failed write.
        if (::fsync(Descriptor) != 0 && errno != EINVAL) {
            FirstError = errno;
            Fail();
        }
        if (!aside->commit())
            Fail();
        return;
    }
    File->close();
    if (File->error() != QFileDevice::NoError)
        Fail();
}

void OutputFile::Fail() {
    const QString reason = FirstError != 0 ? Reason(FirstError) : File->errorString();
    File.reset(); // a QSaveFile not committed removes what it wrote aside
    throw Error(QStringLiteral("Cannot write %1: %2").arg(Name(), reason), FailureKind::File);
}

} // namespace tarnwick
