#include "dat/DatLineReader.h"

#include "dat/FileNames.h"
#include "dat/ZipArchive.h"
#include "db/TextRules.h"

#include <QDateTime>
#include <QFile>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnwick {

namespace {

constexpr qsizetype ChunkSize = 1 << 20;

// Longer than the coarsest clock a file system keeps change times by.
constexpr qint64 SettledNs = 2'000'000'000;

QByteArrayView SkipLeadingBlanks(QByteArrayView text) {
    qsizetype start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    return text.sliced(start);
}

[[noreturn]] void ThrowCannotOpen(const QString& path, const QString& reason) {
    throw Error(QStringLiteral("Cannot open %1: %2").arg(path, reason), FailureKind::File);
}

#ifdef Q_OS_UNIX
// A name that is not valid UTF-8 cannot reach the system through QFile, which encodes every
// name as UTF-8; it is opened by its bytes.
void OpenByBytes(QFile& file, const QString& path, const QByteArray& bytes) {
    const int descriptor = ::open(bytes.constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        ThrowCannotOpen(path, qt_error_string(errno));
    struct stat status;
    const bool unknown = ::fstat(descriptor, &status) != 0;
    if (unknown || S_ISDIR(status.st_mode)) {
        const int error = unknown ? errno : EISDIR;
        ::close(descriptor);
        ThrowCannotOpen(path, qt_error_string(error));
    }
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        ThrowCannotOpen(path, file.errorString());
    }
}
#endif

class FileSource final : public ByteSource {
public:
    explicit FileSource(const QString& path) : File(path), Path(path) {
#ifdef Q_OS_UNIX
        const QByteArray bytes = EncodeFileName(Path);
        if (bytes != QFile::encodeName(Path)) {
            OpenByBytes(File, Path, bytes);
            return;
        }
#endif
        if (!File.open(QIODevice::ReadOnly))
            ThrowCannotOpen(Path, File.errorString());
    }
    qint64 Read(char* into, qint64 size) override {
        const qint64 got = File.read(into, size);
        if (got < 0)
            throw Error(QStringLiteral("Cannot read %1: %2").arg(Path, File.errorString()),
                        FailureKind::File);
        return got;
    }
    std::optional<FileIdentity> Identity() const override {
        return IdentityOf(File);
    }

private:
    QFile File;
    QString Path;
};

// A UTF-8 byte-order mark that an editor put at the start of the file.
QByteArrayView SkipByteOrderMark(QByteArrayView text) {
    return text.startsWith("\xEF\xBB\xBF") ? text.sliced(3) : text;
}

} // namespace

bool FileStamp::SurelySame(const FileStamp& later) const {
    return Identity && later.Identity && *Identity == *later.Identity &&
           Identity->ChangedNs < OpenedNs - SettledNs;
}

namespace {

QString TextOf(const std::optional<FileIdentity>& identity) {
    if (!identity)
        return {};
    return QStringLiteral("%1:%2:%3:%4:%5")
        .arg(identity->Device)
        .arg(identity->Inode)
        .arg(identity->Size)
        .arg(identity->ModifiedNs)
        .arg(identity->ChangedNs);
}

} // namespace

QString FileStamp::SettledText() const {
    return Identity && Identity->ChangedNs < OpenedNs - SettledNs ? TextOf(Identity) : QString();
}

QString IdentityText(const QString& path) {
    return TextOf(IdentityOf(path));
}

DatFileReader::DatFileReader(const DatPath& path) : Path(path.Shown()) {
    Opened.OpenedNs = FileClockNowNs();
    if (path.IsMember())
        Source = OpenZipMember(path);
    else
        Source = std::make_unique<FileSource>(path.File);
    Opened.Identity = Source->Identity();
}

DatFileReader::~DatFileReader() = default;

void DatFileReader::SkipToEnd() {
    while (!AtEnd) {
        Position = Buffer.size();
        FillBuffer();
    }
}

bool DatFileReader::FillBuffer() {
    // Keep the unread tail (an unfinished line) and append the next chunk behind it.
    Buffer.remove(0, Position);
    Position = 0;
    const qsizetype kept = Buffer.size();
    Buffer.resize(kept + ChunkSize);
    qint64 got = 0;
    try {
        got = Source->Read(Buffer.data() + kept, ChunkSize);
    } catch (Error& error) {
        Buffer.resize(kept);
        error.Line = LineNumber + 1;
        throw;
    }
    Buffer.resize(kept + got);
    Size += got;
    Hash.Add(QByteArrayView(Buffer).sliced(kept));
    if (got == 0)
        AtEnd = true;
    return got > 0;
}

bool DatFileReader::NextLine(DatLine& line) {
    for (;;) {
        if (PendingLineFeed) {
            if (Position >= Buffer.size() && !AtEnd)
                FillBuffer();
            if (Position < Buffer.size() && Buffer[Position] == '\n')
                ++Position;
            PendingLineFeed = false;
        }
        qsizetype end = -1;
        const char* const bytes = Buffer.constData();
        for (qsizetype i = Position + Scanned; i < Buffer.size(); ++i) {
            if (bytes[i] == '\n' || bytes[i] == '\r') {
                end = i;
                break;
            }
        }
        if (end < 0) {
            if (!AtEnd) {
                // A long line is searched once, not again from its start after every chunk.
                Scanned = Buffer.size() - Position;
                FillBuffer();
                continue;
            }
            if (Position >= Buffer.size())
                return false;
            end = Buffer.size(); // a last line without an ending still counts
        }
        const QByteArrayView text(Buffer.constData() + Position, end - Position);
        Position = end;
        Scanned = 0;
        if (end < Buffer.size()) {
            if (Buffer[end] == '\r')
                PendingLineFeed = true;
            ++Position;
        }
        ++LineNumber;
        const QByteArrayView record =
            SkipLeadingBlanks(LineNumber == 1 ? SkipByteOrderMark(text) : text);
        if (record.isEmpty())
            continue;
        line.Text = record;
        line.Number = LineNumber;
        return true;
    }
}

QByteArrayView RecordType(QByteArrayView line) {
    return line.size() < 3 ? QByteArrayView() : line.first(3);
}

} // namespace tarnwick
