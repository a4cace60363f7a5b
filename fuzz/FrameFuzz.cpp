// The line frame and the hourly record layouts over arbitrary bytes.
#include "FuzzInput.h"

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DatFileReader reader(WriteFuzzInput(data, size));
    DatLine line;
    ReaderState state;
    while (reader.NextLine(line)) {
        if (line.Text.isEmpty() || line.Number <= 0)
            abort(); // the reader skips empty lines
        try {
            ReadFacilityRecord(line, state);
        } catch (const DatFileError&) {
        }
        (void)ReadSO2ConcRecord(line).SO2Concentration.Text();
        (void)ReadNOxConcRecord(line).DataDate.Text();
        (void)ReadCO2ConcRecord(line).UnitId.Text();
        (void)ReadFlowRecord(line);
        (void)ReadSO2MassRecord(line);
        (void)ReadNOxRateRecord(line);
        (void)ReadCO2MassRecord(line);
        (void)FormatDatDate(line.Text, 20, 4);
        (void)ReadNumber(line.Text);
    }
    return 0;
}
