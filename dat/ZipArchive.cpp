#include "dat/ZipArchive.h"

#include "dat/FileNames.h"
#include "db/Error.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <limits>
#include <zip.h>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnwick {

namespace {

[[noreturn]] void Fail(const QString& message) {
    throw Error(message, FailureKind::File);
}

QString ZipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

QString MemberShown(const QString& zipShown, const QString& member) {
    return zipShown + u':' + SafeMemberName(member);
}

struct OpenZip {
    zip_t* Zip = nullptr;
    std::optional<FileIdentity> Identity;
    qint64 FileSize = 0;

    OpenZip() = default;
    OpenZip(const OpenZip&) = delete;
    OpenZip& operator=(const OpenZip&) = delete;
    ~OpenZip() {
        if (Zip)
            zip_discard(Zip);
    }

    // The most the members read from this zip may expand to in all.
    qint64 ExpansionBound() const {
        return std::max(FileSize * ZipExpansionLimit, ZipExpansionFloor);
    }
};

// A file that does not begin as a zip is named as such, rather than by libzip's search for a
// table of contents that a zip cut short also lacks.
void CheckZipSignature(const QByteArray& start, const QString& shown) {
    if (!start.startsWith("PK\x03\x04") && !start.startsWith("PK\x05\x06"))
        Fail(QStringLiteral("%1 is not a zip file: it does not begin as one.").arg(shown));
}

std::unique_ptr<OpenZip> Open(const QString& path, const QString& shown) {
    auto opened = std::make_unique<OpenZip>();
#ifdef Q_OS_UNIX
    const int descriptor = ::open(EncodeFileName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        Fail(QStringLiteral("Cannot open %1: %2").arg(shown, qt_error_string(errno)));
    struct stat status;
    const bool unknown = ::fstat(descriptor, &status) != 0;
    if (unknown || S_ISDIR(status.st_mode)) {
        const int error = unknown ? errno : EISDIR;
        ::close(descriptor);
        Fail(QStringLiteral("Cannot open %1: %2").arg(shown, qt_error_string(error)));
    }
    QFile file;
    file.open(descriptor, QIODevice::ReadOnly, QFileDevice::DontCloseHandle);
    opened->Identity = IdentityOf(file);
    opened->FileSize = qint64(status.st_size);
    char start[4] = {};
    const qint64 got = ::pread(descriptor, start, sizeof start, 0);
    if (got < 0) {
        const int error = errno;
        ::close(descriptor);
        Fail(QStringLiteral("Cannot read %1: %2").arg(shown, qt_error_string(error)));
    }
    try {
        CheckZipSignature(QByteArray(start, int(got)), shown);
    } catch (const Error&) {
        ::close(descriptor);
        throw;
    }
    int code = 0;
    opened->Zip = zip_fdopen(descriptor, 0, &code);
    if (!opened->Zip)
        ::close(descriptor);
#else
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Fail(QStringLiteral("Cannot open %1: %2").arg(shown, file.errorString()));
    opened->Identity = IdentityOf(file);
    opened->FileSize = file.size();
    CheckZipSignature(file.read(4), shown);
    file.close();
    int code = 0;
    opened->Zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
#endif
    if (!opened->Zip) {
        if (code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS || code == ZIP_ER_EOF)
            Fail(QStringLiteral("%1 is cut short or damaged: its table of contents cannot be "
                                "read (%2).")
                     .arg(shown, ZipErrorText(code)));
        Fail(QStringLiteral("Cannot open %1: %2").arg(shown, ZipErrorText(code)));
    }
    return opened;
}

struct Entry {
    QString Name;
    zip_uint64_t Index = 0;
    qint64 Size = 0;
    bool Encrypted = false;
    bool Supported = true;
    zip_uint16_t Method = 0;
};

Entry EntryAt(OpenZip& zip, zip_uint64_t index, const QString& shown) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(zip.Zip, index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME))
        Fail(QStringLiteral("%1 is damaged: its entry %2 cannot be read (%3).")
                 .arg(shown)
                 .arg(index + 1)
                 .arg(QString::fromUtf8(zip_strerror(zip.Zip))));
    Entry entry;
    entry.Name = QString::fromUtf8(stat.name);
    entry.Index = index;
    entry.Size = (stat.valid & ZIP_STAT_SIZE)
                     ? qint64(std::min<zip_uint64_t>(stat.size, std::numeric_limits<qint64>::max()))
                     : 0;
    entry.Encrypted =
        (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE;
    entry.Method = stat.comp_method;
    entry.Supported = zip_compression_method_supported(stat.comp_method, 0);
    return entry;
}

QString MemberFault(const Entry& entry, const QString& shown) {
    if (IsZipName(entry.Name))
        return QStringLiteral("%1 is a zip inside the zip; zips inside zips are not read (unzip "
                              "it first).")
            .arg(shown);
    if (entry.Encrypted)
        return QStringLiteral("%1 is encrypted; Tarnwick reads no encrypted member.").arg(shown);
    if (!entry.Supported)
        return QStringLiteral("%1 is compressed by a method Tarnwick cannot read (method %2).")
            .arg(shown)
            .arg(entry.Method);
    return {};
}

QString BombFault(qint64 size, const OpenZip& zip, const QString& shown) {
    return QStringLiteral("%1 would expand to %2 bytes, more than %3 times the zip's %4 bytes: "
                          "it is taken for a zip bomb and not read.")
        .arg(shown)
        .arg(size)
        .arg(ZipExpansionLimit)
        .arg(zip.FileSize);
}

bool IsDatName(const QString& name) {
    return name.endsWith(QLatin1String(".DAT"), Qt::CaseInsensitive);
}

// Reads a member a chunk at a time, never more than it declares.
class ZipMemberSource final : public ByteSource {
public:
    ZipMemberSource(std::unique_ptr<OpenZip> zip, zip_file_t* file, qint64 declared, QString shown)
        : Zip(std::move(zip)), File(file), Declared(declared), Shown(std::move(shown)) {}
    ~ZipMemberSource() override { zip_fclose(File); }

    qint64 Read(char* into, qint64 size) override {
        // One byte beyond the declared size is asked for, so a member that holds more shows.
        const qint64 room = std::min(size, Declared - Got + 1);
        const zip_int64_t got = room > 0 ? zip_fread(File, into, zip_uint64_t(room)) : 0;
        if (got < 0)
            Fail(QStringLiteral("Cannot read %1: %2")
                     .arg(Shown, QString::fromUtf8(zip_file_strerror(File))));
        Got += got;
        if (Got > Declared)
            Fail(QStringLiteral("Cannot read %1: it holds more than the %2 bytes it declares; "
                                "the zip is damaged or a zip bomb.")
                     .arg(Shown)
                     .arg(Declared));
        return got;
    }
    std::optional<FileIdentity> Identity() const override { return Zip->Identity; }

private:
    std::unique_ptr<OpenZip> Zip;
    zip_file_t* File;
    qint64 Declared;
    qint64 Got = 0;
    QString Shown;
};

} // namespace

bool IsZipName(const QString& name) {
    return name.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive);
}

ZipListing ListZip(const QString& path, const QString& shown) {
    try {
        const std::unique_ptr<OpenZip> zip = Open(path, shown);
        const zip_int64_t count = zip_get_num_entries(zip->Zip, 0);
        std::vector<Entry> dats, others;
        for (zip_int64_t i = 0; i < count; ++i) {
            Entry entry = EntryAt(*zip, zip_uint64_t(i), shown);
            if (!entry.Name.endsWith(u'/')) // a folder
                (IsDatName(entry.Name) ? dats : others).push_back(std::move(entry));
        }
        std::vector<Entry> chosen;
        if (!dats.empty()) {
            chosen = std::move(dats);
            std::copy_if(others.begin(), others.end(), std::back_inserter(chosen),
                         [](const Entry& entry) { return IsZipName(entry.Name); });
        } else if (others.size() == 1) {
            chosen = std::move(others);
        } else if (others.empty()) {
            return {QStringLiteral("%1 holds no files.").arg(shown), {}};
        } else {
            return {QStringLiteral("%1 holds no .DAT file, and %2 other files: none of them is "
                                   "read.")
                        .arg(shown)
                        .arg(others.size()),
                    {}};
        }
        std::sort(chosen.begin(), chosen.end(),
                  [](const Entry& a, const Entry& b) { return FileNameLess(a.Name, b.Name); });
        ZipListing listing;
        qint64 total = 0;
        for (const Entry& entry : chosen) {
            const QString fault = MemberFault(entry, MemberShown(shown, entry.Name));
            if (fault.isEmpty())
                total += entry.Size;
            listing.Members.push_back({entry.Name, qint64(entry.Index), fault});
        }
        if (total > zip->ExpansionBound())
            return {BombFault(total, *zip, QStringLiteral("%1: its members").arg(shown)), {}};
        return listing;
    } catch (const Error& error) {
        return {error.Message, {}};
    }
}

std::unique_ptr<ByteSource> OpenZipMember(const DatPath& path) {
    const QString shown = path.Shown();
    std::unique_ptr<OpenZip> zip = Open(path.File, path.File);
    const zip_int64_t count = zip_get_num_entries(zip->Zip, 0);
    std::optional<Entry> found;
    if (path.MemberIndex >= 0 && path.MemberIndex < count) {
        Entry entry = EntryAt(*zip, zip_uint64_t(path.MemberIndex), path.File);
        if (entry.Name == path.Member)
            found = std::move(entry);
    }
    for (zip_int64_t i = 0; !found && i < count; ++i) {
        Entry entry = EntryAt(*zip, zip_uint64_t(i), path.File);
        if (entry.Name == path.Member)
            found = std::move(entry);
    }
    if (!found)
        Fail(QStringLiteral("Cannot open %1: the zip no longer holds this member.").arg(shown));
    if (const QString fault = MemberFault(*found, shown); !fault.isEmpty())
        Fail(fault);
    if (found->Size > zip->ExpansionBound())
        Fail(BombFault(found->Size, *zip, shown));
    zip_file_t* file = zip_fopen_index(zip->Zip, found->Index, 0);
    if (!file)
        Fail(QStringLiteral("Cannot open %1: %2")
                 .arg(shown, QString::fromUtf8(zip_strerror(zip->Zip))));
    return std::make_unique<ZipMemberSource>(std::move(zip), file, found->Size, shown);
}

QString SafeMemberName(const QString& name) {
    QString safe = name;
    for (QChar& c : safe)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = u'?';
    return safe;
}

QString DatPath::Shown() const {
    return IsMember() ? MemberShown(File, Member) : File;
}

} // namespace tarnwick
