// The quarterly reader and the header writers over arbitrary bytes.
#include "fuzz/FuzzInput.h"
#include "quarterly/QuarterlyReader.h"

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ParsingDatabase database;
    NoProgress progress;
    ReaderState state;
    try {
        ExtractQuarterlyFile(WriteFuzzInput(data, size), state, database, progress);
    } catch (const Error&) {
    }
    return 0;
}
