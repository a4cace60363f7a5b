// A zip of arbitrary bytes: its listing, then each member through the hourly reader and its
// writers, read straight from the zip.
#include "dat/HourlyReader.h"
#include "dat/ZipArchive.h"
#include "fuzz/FuzzInput.h"

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = WriteFuzzInput(data, size, ".zip");
    const ZipListing listing = ListZip(path, path);
    ParsingDatabase database;
    NoProgress progress;
    ReaderState state;
    for (const ZipMember& member : listing.Members) {
        if (!member.Fault.isEmpty())
            continue;
        try {
            ExtractHourlyFile(DatPath(path, member.Name, member.Index), state, database, progress);
        } catch (const Error&) {
        }
    }
    return 0;
}
