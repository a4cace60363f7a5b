#pragma once

#include "dat/HourlyRecords.h"
#include "db/SourcesDatabase.h"

#include <QString>
#include <span>

namespace tarnwick {

// The seven EMISSIONS writers, run in this order by the hourly reader. Each executes, record
// by record, the INSERT and (all but the "200" writer) the UPDATE of that record. Quoted
// values have every single quote doubled; the hour in a WHERE clause is bare and the date
// stands between "#" signs. A statement
// the database refuses ends the writer with its Error carrying the record's line; what ran
// before it stays executed.
void WriteSO2Concentrations(std::span<const SO2ConcRecord> records, qint32 facilityId,
                            SourcesDatabase& database);
void WriteNOxConcentrations(std::span<const NOxConcRecord> records, qint32 facilityId,
                            SourcesDatabase& database);
void WriteCO2Concentrations(std::span<const CO2ConcRecord> records, qint32 facilityId,
                            SourcesDatabase& database);
void WriteVolumetricFlows(std::span<const FlowRecord> records, qint32 facilityId,
                          SourcesDatabase& database);
void WriteSO2MassEmissions(std::span<const SO2MassRecord> records, qint32 facilityId,
                           SourcesDatabase& database);
void WriteNOxEmissionRates(std::span<const NOxRateRecord> records, qint32 facilityId,
                           SourcesDatabase& database);
void WriteCO2MassEmissions(std::span<const CO2MassRecord> records, qint32 facilityId,
                           SourcesDatabase& database);

} // namespace tarnwick
