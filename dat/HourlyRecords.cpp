#include "HourlyRecords.h"

namespace tarnwick {

namespace {

// The key block of the "200"-series types: unit 4-9, date 16-21, hour 22-23.
constexpr qsizetype SeriesDateColumn = 16;
constexpr qsizetype SeriesHourColumn = 22;

template <typename Record>
void ReadKey(Record& record, QByteArrayView line, qsizetype dateColumn, qsizetype hourColumn) {
    record.UnitId.Assign(TrimBlanks(CutField(line, 4, 6)));
    record.DataDate.Assign(FormatDatDate(line, dateColumn, 2));
    record.DataHour.Assign(CutField(line, hourColumn, 2));
}

} // namespace

SO2ConcRecord ReadSO2ConcRecord(const DatLine& line) {
    const QByteArrayView text = line.Text;
    SO2ConcRecord record;
    record.UnitId.Assign(CutField(text, 4, 6)); // the one unit kept as it stands
    record.DataDate.Assign(FormatDatDate(text, SeriesDateColumn, 2));
    record.DataHour.Assign(CutField(text, SeriesHourColumn, 2));
    record.SO2Concentration.Assign(CutField(text, 29, 6));
    record.AdjustedSO2Concentration.Assign(CutField(text, 35, 6));
    record.MonitorDataAvailability.Assign(CutField(text, 24, 5));
    record.SourceLine = line.Number;
    return record;
}

NOxConcRecord ReadNOxConcRecord(const DatLine& line) {
    const QByteArrayView text = line.Text;
    NOxConcRecord record;
    ReadKey(record, text, SeriesDateColumn, SeriesHourColumn);
    record.NOxConcentration.Assign(TrimBlanks(CutField(text, 24, 6)));
    record.AdjustedNOxConcentration.Assign(TrimBlanks(CutField(text, 32, 6)));
    record.MonitorDataAvailability.Assign(TrimBlanks(CutField(text, 38, 5)));
    record.SourceLine = line.Number;
    return record;
}

CO2ConcRecord ReadCO2ConcRecord(const DatLine& line) {
    const QByteArrayView text = line.Text;
    CO2ConcRecord record;
    ReadKey(record, text, SeriesDateColumn, SeriesHourColumn);
    record.CO2Concentration.Assign(CutField(text, 24, 6));
    record.MonitorDataAvailability.Assign(CutField(text, 32, 5));
    record.SourceLine = line.Number;
    return record;
}

FlowRecord ReadFlowRecord(const DatLine& line) {
    const QByteArrayView text = line.Text;
    FlowRecord record;
    ReadKey(record, text, SeriesDateColumn, SeriesHourColumn);
    record.AverageVolumetricFlow.Assign(CutField(text, 29, 10));
    record.AdjustedVolumetricFlow.Assign(CutField(text, 39, 10));
    record.FlowDataAvailability.Assign(CutField(text, 24, 5));
    record.SourceLine = line.Number;
    return record;
}

SO2MassRecord ReadSO2MassRecord(const DatLine& line) {
    const QByteArrayView text = line.Text;
    SO2MassRecord record;
    ReadKey(record, text, 10, 16);
    record.SO2Mass.Assign(CutField(text, 18, 7));
    record.AdjustedSO2Mass.Assign(CutField(text, 25, 7));
    record.TotalSO2Mass.Assign(CutField(text, 35, 7));
    record.SourceLine = line.Number;
    return record;
}

NOxRateRecord ReadNOxRateRecord(const DatLine& line) {
    const QByteArrayView text = line.Text;
    NOxRateRecord record;
    ReadKey(record, text, 13, 19);
    record.NOxEmissionRate.Assign(CutField(text, 36, 6));
    record.AdjustedNOxEmissionRate.Assign(CutField(text, 42, 6));
    record.DataAvailability.Assign(CutField(text, 21, 5));
    record.OperatingLoadRange.Assign(CutField(text, 48, 2));
    record.SourceLine = line.Number;
    return record;
}

CO2MassRecord ReadCO2MassRecord(const DatLine& line) {
    const QByteArrayView text = line.Text;
    CO2MassRecord record;
    ReadKey(record, text, 10, 16);
    record.CO2Mass.Assign(CutField(text, 18, 10));
    record.TotalCO2Mass.Assign(CutField(text, 33, 10));
    record.SourceLine = line.Number;
    return record;
}

void ReadFacilityRecord(const DatLine& line, ReaderState& state) {
    state.CurrentFacilityId =
        ReadInt32(CutField(line.Text, 4, 6), "facility identifier", line.Number);
}

} // namespace tarnwick
