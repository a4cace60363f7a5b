#pragma once

#include "DatFrame.h"

#include <vector>

namespace tarnwick {

// The seven hourly record layouts. Every field is a fixed-width text field holding the
// characters cut from the line; UnitId, DataDate and DataHour form the key of an hour.
// SourceLine is the line of the file the record came from, for error messages.

struct SO2ConcRecord {   // "200"
    FixedText<6> UnitId; // not trimmed
    FixedText<8> DataDate;
    FixedText<2> DataHour;
    FixedText<6> SO2Concentration;
    FixedText<6> AdjustedSO2Concentration;
    FixedText<5> MonitorDataAvailability;
    qint64 SourceLine = 0;
};

struct NOxConcRecord { // "201"
    FixedText<6> UnitId;
    FixedText<8> DataDate;
    FixedText<6> DataHour;
    FixedText<6> NOxConcentration;
    FixedText<6> AdjustedNOxConcentration;
    FixedText<5> MonitorDataAvailability;
    qint64 SourceLine = 0;
};

struct CO2ConcRecord { // "202"
    FixedText<6> UnitId;
    FixedText<8> DataDate;
    FixedText<6> DataHour;
    FixedText<6> CO2Concentration;
    FixedText<5> MonitorDataAvailability;
    qint64 SourceLine = 0;
};

struct FlowRecord { // "220"
    FixedText<6> UnitId;
    FixedText<8> DataDate;
    FixedText<6> DataHour;
    FixedText<10> AverageVolumetricFlow;
    FixedText<10> AdjustedVolumetricFlow;
    FixedText<5> FlowDataAvailability;
    qint64 SourceLine = 0;
};

struct SO2MassRecord { // "310"
    FixedText<6> UnitId;
    FixedText<8> DataDate;
    FixedText<6> DataHour;
    FixedText<7> SO2Mass;
    FixedText<7> AdjustedSO2Mass;
    FixedText<7> TotalSO2Mass;
    qint64 SourceLine = 0;
};

struct NOxRateRecord { // "320"
    FixedText<6> UnitId;
    FixedText<8> DataDate;
    FixedText<6> DataHour;
    FixedText<6> NOxEmissionRate;
    FixedText<6> AdjustedNOxEmissionRate;
    FixedText<5> DataAvailability;
    FixedText<2> OperatingLoadRange;
    qint64 SourceLine = 0;
};

struct CO2MassRecord { // "330"
    FixedText<6> UnitId;
    FixedText<8> DataDate;
    FixedText<6> DataHour;
    FixedText<10> CO2Mass;
    FixedText<10> TotalCO2Mass;
    qint64 SourceLine = 0;
};

// Each builds the record of its type from one line, as the hourly reader stores it.
SO2ConcRecord ReadSO2ConcRecord(const DatLine& line);
NOxConcRecord ReadNOxConcRecord(const DatLine& line);
CO2ConcRecord ReadCO2ConcRecord(const DatLine& line);
FlowRecord ReadFlowRecord(const DatLine& line);
SO2MassRecord ReadSO2MassRecord(const DatLine& line);
NOxRateRecord ReadNOxRateRecord(const DatLine& line);
CO2MassRecord ReadCO2MassRecord(const DatLine& line);

// The record lists. A reader empties the lists it fills at the start of every file, so each
// holds exactly the current file's records in file order (element 1 is index 0 here).
struct HourlyRecordLists {
    std::vector<SO2ConcRecord> SO2ConcRecords;
    std::vector<NOxConcRecord> NOxConcRecords;
    std::vector<CO2ConcRecord> CO2ConcRecords;
    std::vector<FlowRecord> FlowRecords;
    std::vector<SO2MassRecord> SO2MassRecords;
    std::vector<NOxRateRecord> NOxRateRecords;
    std::vector<CO2MassRecord> CO2MassRecords;
};

// The part of the run state that the readers use: the facility identifier of the last "100"
// line read by either reader (0 at start, never reset) and the record lists.
struct ReaderState : HourlyRecordLists {
    qint32 CurrentFacilityId = 0;
};

// Sets CurrentFacilityId from columns 4-9 of a "100" line.
void ReadFacilityRecord(const DatLine& line, ReaderState& state);

// Where a reader reports its per-file progress (0 to 100).
class RecordProgress {
public:
    virtual ~RecordProgress() = default;
    virtual void SetRecordProgress(float value) = 0;
};

} // namespace tarnwick
