#pragma once

#include "db/SourcesDatabase.h"

#include <QString>

namespace tarnwick {

// The values of one file's row in each header table, in the tables' column order. Texts
// reach the statement exactly as held, blanks included.

struct FacilityRow {
    qint16 CalendarQuarter = 0;
    qint16 CalendarYear = 0;
    QString PlantName;
    QString EpaFacilityId;
    QString EpaAirsFacilitySystem;
    QString StateFacilityId;
    QString StatePostalAbbreviation;
    QString CountyCodeFips;
    float Latitude = 0;
    float Longitude = 0;
};

struct UnitRow {
    QString UnitId;
    QString UnitType;
    QString MaxHourlyMmbtuHeatInput;
    QString FirstCommercialOperation;
    QString UnitRetirementDate;
    QString StackExitHeightFeet;
    QString GroundLevelElevationFeet;
    QString FlueExitSqFtInsideArea;
    QString FlowMonitorSqFtInsideArea;
    QString ProgramRequirementForEdr;
    QString ReportingFrequency;
    QString EiaBoilerId;
    QString EiaFlueId;
    QString EiaReportingYear;
    QString EiaFacilityNumber;
    QString LoadUnits;
    QString MaxHourlyGrossLoad;
    QString DesignatedNormalLoad;
    QString RangeOfOperUpperBoundary;
    QString RangeOfOperLowerBoundary;
};

struct FuelRow {
    QString UnitId;
    QString FuelTypeCombusted;
    QString FuelTypeStartDate;
    QString FuelTypeEndDate;
    QString StartupFuel;
};

struct QuarterRow {
    QString UnitId;
    QString DateOfReport;
    QString SO2TonsQtrly;
    QString SO2TonsCumAnnual;
    QString NOxAvgQtrly;
    QString NOxAvgCumAnnual;
    QString CO2TonsQtrly;
    QString CO2TonsCumAnnual;
    QString HeatInputQtrly;
    QString HeatInputCumAnnual;
    QString OperatingHoursQtrly;
    QString OperatingHoursCumAnnual;
    QString CO2MinPctConcQtrly;
    QString CO2MaxPctConcQtrly;
    QString CO2AvgPctConcQtrly;
    QString VolFlowMin3FtHourQtrly;
    QString VolFlowMax3FtHourQtrly;
    QString VolFlowAve3FtHourQtrly;
};

// Each executes the INSERT of its table on the database; throws Error. A single quote inside a
// text is doubled; latitude and longitude are written with a period as decimal separator
// whatever the locale.
void WriteFacility(SourcesDatabase& database, qint32 facilityId, const FacilityRow& row);
void WriteUnit(SourcesDatabase& database, qint32 facilityId, const UnitRow& row);
void WriteFuel(SourcesDatabase& database, qint32 facilityId, const FuelRow& row);
void WriteQuarter(SourcesDatabase& database, qint32 facilityId, const QuarterRow& row);

} // namespace tarnwick
