#include "dat/ZipArchive.h"
#include "dat/DatLineReader.h"
#include "tests/support/DatTestFiles.h"
#include "tests/support/ZipFiles.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

const QByteArray Lines = "100000003\r\n200 1\r\n";
const char* const Central = "PK\x01\x02";

QByteArray ZipOf(const std::vector<ZipEntry>& entries) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("made.zip"));
    WriteZip(path, entries);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What a batch gets of a zip named Z: its fault, or each member's name and either its fault,
// or its lines and SHA-256 (shortened), or why reading it failed.
QStringList Outcome(const QString& path) {
    const ZipListing listing = ListZip(path, QStringLiteral("Z"));
    if (!listing.Fault.isEmpty())
        return {listing.Fault};
    QStringList outcome;
    for (const ZipMember& member : listing.Members) {
        QString text = SafeMemberName(member.Name) + QStringLiteral(": ");
        if (!member.Fault.isEmpty()) {
            outcome << text + member.Fault;
            continue;
        }
        try {
            DatFileReader reader(DatPath(path, member.Name, member.Index));
            int lines = 0;
            for (DatLine line; reader.NextLine(line);)
                ++lines;
            const FileRead read = reader.Finished();
            text += QStringLiteral("%1 lines, %2 bytes, %3")
                        .arg(lines)
                        .arg(read.Size)
                        .arg(QString::fromLatin1(read.Sha256.left(8)));
        } catch (const Error& error) {
            text += QString(error.Message).replace(path, QStringLiteral("Z"));
        }
        outcome << text;
    }
    return outcome;
}

TEST(ZipArchive, EachArchiveIsReadAsItsFilesOrRefusedWithAClearMessage) {
    const QByteArray good = ZipOf({{"a.DAT", Lines}});
    const QByteArray linesSha = "38ea5dfc";
    // Several of the reader's chunks, read ahead while the lines are read.
    const QByteArray many = Lines.repeated(200000);
    const QString manySha = QString::fromLatin1(
        QCryptographicHash::hash(many, QCryptographicHash::Sha256).toHex().left(8));
    const std::pair<std::function<QByteArray()>, QStringList> cases[] = {
        {[&] { return good; }, {"a.DAT: 2 lines, 18 bytes, " + linesSha}},
        // .DAT members in name order, nested zips named; other files are left alone.
        {[] {
             return ZipOf({{"b.dat", Lines}, {"notes.txt", "x"}, {"in.ZIP", "PK"}, {"A.DAT", ""}});
         },
         {"A.DAT: 0 lines, 0 bytes, e3b0c442", "b.dat: 2 lines, 18 bytes, " + linesSha,
          "in.ZIP: Z:in.ZIP is a zip inside the zip; zips inside zips are not read (unzip it "
          "first)."}},
        {[&] {
             return ZipOf({{"many.DAT", many}});
         },
         {"many.DAT: 400000 lines, 3600000 bytes, " + manySha}},
        {[] {
             return ZipOf({{"3_2000q3.001", Lines}});
         },
         {"3_2000q3.001: 2 lines, 18 bytes, " + linesSha}},
        {[] {
             return ZipOf({{"only.zip", "PK"}});
         },
         {"only.zip: Z:only.zip is a zip inside the zip; zips inside zips are not read (unzip "
          "it first)."}},
        // Names are only read, and shown without control or direction characters.
        {[] {
             return ZipOf({{"../../up.DAT", Lines}, {"/abs.DAT", Lines}});
         },
         {"../../up.DAT: 2 lines, 18 bytes, " + linesSha,
          "/abs.DAT: 2 lines, 18 bytes, " + linesSha}},
        {[] {
             return ZipOf({{"a\u202Etxt.DAT", ""}, {"\u009B2J.DAT", ""}});
         },
         {"a?txt.DAT: 0 lines, 0 bytes, e3b0c442", "?2J.DAT: 0 lines, 0 bytes, e3b0c442"}},
        {[] {
             return ZipOf({{"a.DAT", Lines, true}});
         },
         {"a.DAT: Z:a.DAT is encrypted; Tarnwick reads no encrypted member."}},
        {[] { return ZipOf({}); }, {"Z holds no files."}},
        {[] {
             return ZipOf({{"a.txt", "1"}, {"b.txt", "2"}});
         },
         {"Z holds no .DAT file, and 2 other files: none of them is read."}},
        {[] { return QByteArray("100000003\r\n"); },
         {"Z is not a zip file: it does not begin as one."}},
        {[&] { return good.left(good.size() / 2); },
         {"Z is cut short or damaged: its table of contents cannot be read (Not a zip "
          "archive)."}},
        {[&] {
             QByteArray damaged = good;
             damaged[40] = char(damaged[40] ^ 0x55); // inside the deflated data
             return damaged;
         },
         {"a.DAT: Cannot read Z:a.DAT: CRC error"}},
        // A member that claims more than the zip could hold is a bomb before it is read; one
        // that yields more than it claims stops at the first byte beyond.
        {[&] { return WithHeaderField(good, Central, 24, 0x7fffffff); },
         {QStringLiteral("Z: its members would expand to 2147483647 bytes, more than 1000 times "
                         "the zip's %1 bytes: it is taken for a zip bomb and not read.")
              .arg(good.size())}},
        {[&] { return WithHeaderField(good, Central, 24, 5); },
         {"a.DAT: Cannot read Z:a.DAT: it holds more than the 5 bytes it declares; the zip is "
          "damaged or a zip bomb."}},
    };
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("case.zip"));
    for (const auto& [make, expected] : cases) {
        WriteBytes(path, make());
        EXPECT_EQ(Outcome(path), expected);
    }
}

} // namespace
