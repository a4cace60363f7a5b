// The hourly reader and the EMISSIONS writers over arbitrary bytes.
#include "dat/HourlyReader.h"
#include "fuzz/FuzzInput.h"

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ParsingDatabase database;
    NoProgress progress;
    ReaderState state;
    try {
        ExtractHourlyFile(WriteFuzzInput(data, size), state, database, progress);
    } catch (const Error&) {
    }
    return 0;
}
