#include "dat/HourlyReader.h"

#include "dat/EmissionsWriters.h"
#include "db/FoldingDatabase.h"

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
FileRead ReadHourlyLists(const DatPath& path, ReaderState& state) {
    ClearHourlyLists(state.Lists);
    DatFileReader reader(path);
    DatLine line;
    while (reader.NextLine(line))
        TakeLine(line, state);
    return reader.Finished();
}

// Whether the file is still as it was read ahead: else it is read again, to load it, or fail
// on it, as it is at its turn. A file changed shortly before it was read ahead could have
// changed again without a trace in its times: its bytes are compared.
bool Unchanged(const HourlyFileAhead& file) {
    try {
        DatFileReader now(file.Path);
        if (file.Stamp.SurelySame(now.Stamp()))
            return true;
        if (!file.Stamp.Identity || now.Stamp().Identity != file.Stamp.Identity)
            return false;
        now.SkipToEnd();
        return now.Sha256() == file.Sha256;
    } catch (const Error&) {
        return false;
    }
}

// Reports the per-file progress after the k-th writer, unless a run before showed it.
void WriterDone(int writersDone, RecordProgress& progress, int& reported) {
    if (writersDone <= reported)
        return;
    reported = writersDone;
    progress.SetRecordProgress(float(writersDone / double(WriterCount) * 100.0));
}

// Runs the seven writers in their order in one group and reports the per-file progress after
// each, except the steps `reported` says were shown already.
void RunWriters(const ReaderState& state, SourcesDatabase& database, GroupMode mode,
                RecordProgress& progress, int& reported, const FileWritten& written = {},
                const FileRead& read = {}) {
    // The last "100" line of the file counts for every row of it.
    const qint32 facilityId = state.CurrentFacilityId;
    StatementGroup group(database, mode);
    WriteSO2Concentrations(state.Lists.SO2ConcRecords, facilityId, database);
    WriterDone(1, progress, reported);
    WriteNOxConcentrations(state.Lists.NOxConcRecords, facilityId, database);
    WriterDone(2, progress, reported);
    WriteCO2Concentrations(state.Lists.CO2ConcRecords, facilityId, database);
    WriterDone(3, progress, reported);
    WriteVolumetricFlows(state.Lists.FlowRecords, facilityId, database);
    WriterDone(4, progress, reported);
    WriteSO2MassEmissions(state.Lists.SO2MassRecords, facilityId, database);
    WriterDone(5, progress, reported);
    WriteNOxEmissionRates(state.Lists.NOxRateRecords, facilityId, database);
    WriterDone(6, progress, reported);
    WriteCO2MassEmissions(state.Lists.CO2MassRecords, facilityId, database);
    if (written)
        written(read);
    group.Commit();
    WriterDone(WriterCount, progress, reported);
}

// The file's rows go in bulk, from `folded` when its statements were folded ahead. Should that
// fail, nothing of the file is in the database, and its statements run again one by one: they
// stop at the failing statement with its line and message, keeping the rows before it, exactly
// as if they had never been folded.
void WriteHourlyLists(const ReaderState& state, SourcesDatabase& database, RecordProgress& progress,
                      GroupMode writes, const FileWritten& written, const FileRead& read,
                      FoldingDatabase* folded = nullptr) {
    int reported = 0;
    try {
        if (!folded)
            return RunWriters(state, database, writes, progress, reported, written, read);
        StatementGroup group(database, GroupMode::Bulk);
        for (int writer = 1; writer < WriterCount; ++writer)
            WriterDone(writer, progress, reported);
        database.WriteFolded(*folded);
        if (written)
            written(read);
        group.Commit();
        WriterDone(WriterCount, progress, reported);
    } catch (const Error& error) {
        if (error.Kind != FailureKind::BulkWrite)
            throw;
        RunWriters(state, database, GroupMode::Statements, progress, reported, written, read);
    }
}

class NoProgress final : public RecordProgress {
public:
    void SetRecordProgress(float) override {}
};

} // namespace

// Out of line, where FoldingDatabase is complete.
HourlyFileAhead::HourlyFileAhead() = default;
HourlyFileAhead::~HourlyFileAhead() = default;
HourlyFileAhead::HourlyFileAhead(HourlyFileAhead&&) noexcept = default;
HourlyFileAhead& HourlyFileAhead::operator=(HourlyFileAhead&&) noexcept = default;

void ExtractHourlyFile(const DatPath& path, ReaderState& state, SourcesDatabase& database,
                       RecordProgress& progress, GroupMode writes, const FileWritten& written) {
    const FileRead read = ReadHourlyLists(path, state);
    WriteHourlyLists(state, database, progress, writes, written, read);
}

HourlyFileAhead ReadHourlyFileAhead(const DatPath& path, qint32 facilityId,
                                    std::unique_ptr<FoldingDatabase> folder,
                                    HourlyRecordLists lists) {
    HourlyFileAhead file;
    file.Path = path;
    file.FacilityIdBefore = facilityId;
    file.Reader.CurrentFacilityId = facilityId;
    file.Reader.Lists = std::move(lists);
    try {
        FileRead read = ReadHourlyLists(path, file.Reader);
        file.Stamp = read.Stamp;
        file.Sha256 = read.Sha256;
        file.Size = read.Size;
        file.Read = true;
        if (folder) {
            NoProgress quiet;
            int reported = 0;
            RunWriters(file.Reader, *folder, GroupMode::Bulk, quiet, reported);
            file.Folded = std::move(folder);
        }
    } catch (const std::exception&) {
        // Done again at the file's turn, which fails there with its own message if it must.
    }
    return file;
}

void ExtractHourlyFile(HourlyFileAhead& file, ReaderState& state, SourcesDatabase& database,
                       RecordProgress& progress, const FileWritten& written) {
    // Read with another facility than the file before it left, or changed since: read again.
    if (!file.Read || file.FacilityIdBefore != state.CurrentFacilityId || !Unchanged(file))
        return ExtractHourlyFile(file.Path, state, database, progress, GroupMode::Bulk, written);
    state = std::move(file.Reader);
    WriteHourlyLists(state, database, progress, GroupMode::Bulk, written,
                     {file.Stamp, file.Sha256, file.Size}, file.Folded.get());
}

HourlyReadAhead::~HourlyReadAhead() {
    if (Next.valid())
        Next.wait();
}

void HourlyReadAhead::Start(const DatPath& path, qint32 facilityId,
                            std::unique_ptr<FoldingDatabase> folder, HourlyRecordLists lists) {
    Next = std::async(std::launch::async, ReadHourlyFileAhead, path, facilityId, std::move(folder),
                      std::move(lists));
}

HourlyFileAhead HourlyReadAhead::Take() {
    return Next.get();
}

} // namespace tarnwick
