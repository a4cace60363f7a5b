#pragma once

#include "HourlyRecords.h"
#include "SourcesDatabase.h"

#include <QString>
#include <span>

namespace tarnwick {

// The EMISSIONS statement texts of one hourly record. Quoted values have every single quote
// doubled; the hour in a WHERE clause is bare and the date stands between "#" signs.
QString BuildSO2ConcInsert(qint32 facilityId, const SO2ConcRecord& record);
QString BuildNOxConcInsert(qint32 facilityId, const NOxConcRecord& record);
QString BuildNOxConcUpdate(qint32 facilityId, const NOxConcRecord& record);
QString BuildCO2ConcInsert(qint32 facilityId, const CO2ConcRecord& record);
QString BuildCO2ConcUpdate(qint32 facilityId, const CO2ConcRecord& record);
QString BuildFlowInsert(qint32 facilityId, const FlowRecord& record);
QString BuildFlowUpdate(qint32 facilityId, const FlowRecord& record);
QString BuildSO2MassInsert(qint32 facilityId, const SO2MassRecord& record);
QString BuildSO2MassUpdate(qint32 facilityId, const SO2MassRecord& record);
QString BuildNOxRateInsert(qint32 facilityId, const NOxRateRecord& record);
QString BuildNOxRateUpdate(qint32 facilityId, const NOxRateRecord& record);
QString BuildCO2MassInsert(qint32 facilityId, const CO2MassRecord& record);
QString BuildCO2MassUpdate(qint32 facilityId, const CO2MassRecord& record);

// The seven EMISSIONS writers, run in this order by the hourly reader. Each executes, record
// by record, the INSERT and (all but the "200" writer) the UPDATE of that record. A statement
// the database refuses ends the writer with DatFileError carrying the record's line; what ran
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
