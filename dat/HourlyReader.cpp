#include "HourlyReader.h"

#include "EmissionsWriters.h"

namespace tarnwick {

namespace {

constexpr int WriterCount = 7;

void ClearHourlyLists(HourlyRecordLists& lists) {
    lists.SO2ConcRecords.clear();
    lists.NOxConcRecords.clear();
    lists.CO2ConcRecords.clear();
    lists.FlowRecords.clear();
    lists.SO2MassRecords.clear();
    lists.NOxRateRecords.clear();
    lists.CO2MassRecords.clear();
}

void TakeLine(const DatLine& line, ReaderState& state) {
    const QByteArrayView type = RecordType(line.Text);
    if (type == "100")
        ReadFacilityRecord(line, state);
    else if (type == "200")
        state.Lists.SO2ConcRecords.push_back(ReadSO2ConcRecord(line));
    else if (type == "201")
        state.Lists.NOxConcRecords.push_back(ReadNOxConcRecord(line));
    else if (type == "202")
        state.Lists.CO2ConcRecords.push_back(ReadCO2ConcRecord(line));
    else if (type == "220")
        state.Lists.FlowRecords.push_back(ReadFlowRecord(line));
    else if (type == "310")
        state.Lists.SO2MassRecords.push_back(ReadSO2MassRecord(line));
    else if (type == "320")
        state.Lists.NOxRateRecords.push_back(ReadNOxRateRecord(line));
    else if (type == "330")
        state.Lists.CO2MassRecords.push_back(ReadCO2MassRecord(line));
}

// The file is closed when this returns, before the first statement runs.
void ReadHourlyLists(const QString& path, ReaderState& state) {
    ClearHourlyLists(state.Lists);
    DatFileReader reader(path);
    DatLine line;
    while (reader.NextLine(line))
        TakeLine(line, state);
}

// Runs the seven writers in their order in one group and reports the per-file progress after
// each, except the steps `reported` says were shown already.
void RunWriters(const ReaderState& state, SourcesDatabase& database, GroupMode mode,
                RecordProgress& progress, int& reported) {
    // The last "100" line of the file counts for every row of it.
    const qint32 facilityId = state.CurrentFacilityId;
    int writersDone = 0;
    const auto writerDone = [&] {
        if (++writersDone <= reported)
            return;
        reported = writersDone;
        progress.SetRecordProgress(float(writersDone / double(WriterCount) * 100.0));
    };

    StatementGroup group(database, mode);
    WriteSO2Concentrations(state.Lists.SO2ConcRecords, facilityId, database);
    writerDone();
    WriteNOxConcentrations(state.Lists.NOxConcRecords, facilityId, database);
    writerDone();
    WriteCO2Concentrations(state.Lists.CO2ConcRecords, facilityId, database);
    writerDone();
    WriteVolumetricFlows(state.Lists.FlowRecords, facilityId, database);
    writerDone();
    WriteSO2MassEmissions(state.Lists.SO2MassRecords, facilityId, database);
    writerDone();
    WriteNOxEmissionRates(state.Lists.NOxRateRecords, facilityId, database);
    writerDone();
    WriteCO2MassEmissions(state.Lists.CO2MassRecords, facilityId, database);
    group.Commit();
    writerDone();
}

// The file's rows go in bulk. Should that fail, nothing of the file is in the database, and
// its statements run again one by one: they stop at the failing statement with its line and
// message, keeping the rows before it, exactly as if they had never been folded.
void WriteHourlyLists(const ReaderState& state, SourcesDatabase& database, RecordProgress& progress,
                      GroupMode writes) {
    int reported = 0;
    try {
        RunWriters(state, database, writes, progress, reported);
    } catch (const Error& error) {
        if (error.Kind != FailureKind::BulkWrite)
            throw;
        RunWriters(state, database, GroupMode::Statements, progress, reported);
    }
}

} // namespace

void ExtractHourlyFile(const QString& path, ReaderState& state, SourcesDatabase& database,
                       RecordProgress& progress, GroupMode writes) {
    ReadHourlyLists(path, state);
    WriteHourlyLists(state, database, progress, writes);
}

} // namespace tarnwick
