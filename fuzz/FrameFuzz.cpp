// The line and field readers and the hourly record layouts over arbitrary bytes.
#include "dat/DatLineReader.h"
#include "dat/FieldReaders.h"
#include "dat/FileNames.h"
#include "fuzz/FuzzInput.h"

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
        } catch (const Error&) {
        }
        for (const HourKey key : {HourKey::NotUsed, HourKey::Required}) {
            try {
                (void)ReadSO2ConcRecord(line, key).SO2Concentration.Text();
            } catch (const Error&) {
            }
            try {
                (void)ReadNOxConcRecord(line, key).DataDate.Text();
            } catch (const Error&) {
            }
            try {
                (void)ReadCO2ConcRecord(line, key).UnitId.Text();
            } catch (const Error&) {
            }
        }
        (void)ReadFlowRecord(line, HourKey::NotUsed);
        (void)ReadSO2MassRecord(line, HourKey::NotUsed);
        (void)ReadNOxRateRecord(line, HourKey::NotUsed);
        (void)ReadCO2MassRecord(line, HourKey::NotUsed);
        (void)DecodeField(line.Text);
        (void)DecodeValueField(line.Text);
        (void)EncodeFileName(DecodeFileName(line.Text));
        (void)FormatDatDate(line.Text, 20, 4);
        (void)ReadFieldNumber(line.Text);
    }
    return 0;
}
