#pragma once

#include "dat/DatLineReader.h"
#include "dat/FieldReaders.h"

#include <vector>

namespace tarnwick {

// The seven hourly record layouts. Every field is a fixed-width field holding the characters
// cut from the line; all but UnitId go to columns of numbers or dates. UnitId, DataDate and
// DataHour form the key of an hour. SourceLine is the line of the file the record came from,
// for error messages.

struct SO2ConcRecord {   // "200"
    FixedText<6> UnitId; // not trimmed
    FixedValue<8> DataDate;
    FixedValue<2> DataHour;
    FixedValue<6> SO2Concentration;
    FixedValue<6> AdjustedSO2Concentration;
    FixedValue<5> MonitorDataAvailability;
    qint64 SourceLine = 0;
};

struct NOxConcRecord { // "201"
    FixedText<6> UnitId;
    FixedValue<8> DataDate;
    FixedValue<6> DataHour;
    FixedValue<6> NOxConcentration;
    FixedValue<6> AdjustedNOxConcentration;
    FixedValue<5> MonitorDataAvailability;
    qint64 SourceLine = 0;
};

struct CO2ConcRecord { // "202"
    FixedText<6> UnitId;
    FixedValue<8> DataDate;
    FixedValue<6> DataHour;
    FixedValue<6> CO2Concentration;
    FixedValue<5> MonitorDataAvailability;
    qint64 SourceLine = 0;
};

struct FlowRecord { // "220"
    FixedText<6> UnitId;
    FixedValue<8> DataDate;
    FixedValue<6> DataHour;
    FixedValue<10> AverageVolumetricFlow;
    FixedValue<10> AdjustedVolumetricFlow;
    FixedValue<5> FlowDataAvailability;
    qint64 SourceLine = 0;
};

struct SO2MassRecord { // "310"
    FixedText<6> UnitId;
    FixedValue<8> DataDate;
    FixedValue<6> DataHour;
    FixedValue<7> SO2Mass;
    FixedValue<7> AdjustedSO2Mass;
    FixedValue<7> TotalSO2Mass;
    qint64 SourceLine = 0;
};

struct NOxRateRecord { // "320"
    FixedText<6> UnitId;
    FixedValue<8> DataDate;
    FixedValue<6> DataHour;
    FixedValue<6> NOxEmissionRate;
    FixedValue<6> AdjustedNOxEmissionRate;
    FixedValue<5> DataAvailability;
    FixedValue<2> OperatingLoadRange;
    qint64 SourceLine = 0;
};

struct CO2MassRecord { // "330"
    FixedText<6> UnitId;
    FixedValue<8> DataDate;
    FixedValue<6> DataHour;
    FixedValue<10> CO2Mass;
    FixedValue<10> TotalCO2Mass;
    qint64 SourceLine = 0;
};

// Whether a record's date and hour must be readable. The hourly load stores every record under
// its day and hour, so a key it cannot read would lose the record; the quarterly statistics
// take only the values of "202" and "220" records.
enum class HourKey { Required, NotUsed };

// Each builds the record of its type from one line, as the hourly reader stores it. With the
// key required, a date that is blank, cut short or no real day, or an hour that is not a
// number from 0 to 23, throws Error with the line.
SO2ConcRecord ReadSO2ConcRecord(const DatLine& line, HourKey key = HourKey::Required);
NOxConcRecord ReadNOxConcRecord(const DatLine& line, HourKey key = HourKey::Required);
CO2ConcRecord ReadCO2ConcRecord(const DatLine& line, HourKey key = HourKey::Required);
FlowRecord ReadFlowRecord(const DatLine& line, HourKey key = HourKey::Required);
SO2MassRecord ReadSO2MassRecord(const DatLine& line, HourKey key = HourKey::Required);
NOxRateRecord ReadNOxRateRecord(const DatLine& line, HourKey key = HourKey::Required);
CO2MassRecord ReadCO2MassRecord(const DatLine& line, HourKey key = HourKey::Required);

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
struct ReaderState {
    qint32 CurrentFacilityId = 0;
    HourlyRecordLists Lists;
};

// Sets CurrentFacilityId from columns 4-9 of a "100" line.
void ReadFacilityRecord(const DatLine& line, ReaderState& state);

} // namespace tarnwick
