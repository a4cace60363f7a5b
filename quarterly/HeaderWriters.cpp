#include "quarterly/HeaderWriters.h"

#include "db/TextRules.h"
#include "quarterly/StatisticText.h"

#include <QStringList>

namespace tarnwick {

namespace {

const QString FacilityColumns = QStringLiteral(
    "(Facility_ID, Calendar_Quarter, Calendar_Year, Plant_Name, Epa_Facility_ID, "
    "Epa_Airs_Facility_System, State_Facility_ID, State_Postal_Abbreviation, County_Code_Fips, "
    "Latitude, Longitude)");

const QString UnitColumns = QStringLiteral(
    "(FACILITY_ID, UNIT_ID, UNIT_TYPE, MAX_HOURLY_MMBTU_HEAT_INPUT, "
    "FIRST_COMMERCIAL_OPERATION, UNIT_RETIREMENT_DATE, STACK_EXIT_HEIGHT_FEET, "
    "GROUND_LEVEL_ELEVATION_FEET, FLUE_EXIT_SQ_FT_INSIDE_AREA, FLOW_MONITOR_SQ_FT_INSIDE_AREA, "
    "PROGRAM_REQUIREMENT_FOR_EDR, REPORTING_FREQUENCY, EIA_BOILER_ID, EIA_FLUE_ID, "
    "EIA_REPORTING_YEAR, EIA_FACILITY_NUMBER, LOAD_UNITS, "
    "MAX_HOURLY_GROSS_LOAD, DESIGNATED_NORMAL_LOAD, RANGE_OF_OPER_UPPER_BOUNDARY, "
    "RANGE_OF_OPER_LOWER_BOUNDARY)");

const QString FuelColumns =
    QStringLiteral("(FACILITY_ID, UNIT_ID, FUEL_TYPE_COMBUSTED, FUEL_TYPE_START_DATE, "
                   "FUEL_TYPE_END_DATE, STARTUP_FUEL)");

const QString QuarterColumns =
    QStringLiteral("(FACILITY_ID, UNIT_ID, DATE_OF_REPORT, SO2_TONS_QTRLY, "
                   "SO2_TONS_CUM_ANNUAL, NOX_AVG_QTRLY, NOX_AVG_CUM_ANNUAL, CO2_TONS_QTRLY, "
                   "CO2_TONS_CUM_ANNUAL, HEAT_INPUT_QTRLY, HEAT_INPUT_CUM_ANNUAL, "
                   "OPERATING_HOURS_QTRLY, OPERATING_HOURS_CUM_ANNUAL, CO2_MIN_PCT_CONC_QTRLY, "
                   "CO2_MAX_PCT_CONC_QTRLY, CO2_AVG_PCT_CONC_QTRLY, VOL_FLOW_MIN_3FT_HOUR_QTRLY, "
                   "VOL_FLOW_MAX_3FT_HOUR_QTRLY, VOL_FLOW_AVE_3FT_HOUR_QTRLY)");

// A text between single quotes; a quote inside it is doubled so it cannot end the literal.
QString TextLiteral(const QString& text) {
    QString literal(1, u'\'');
    AppendSqlText(literal, text);
    return literal + u'\'';
}

QString TextLiterals(const QStringList& texts) {
    QStringList literals;
    literals.reserve(texts.size());
    for (const QString& text : texts)
        literals.append(TextLiteral(text));
    return literals.join(QStringLiteral(", "));
}

QString Insert(const char* table, const QString& columns, qint32 facilityId,
               const QString& otherLiterals) {
    return QStringLiteral("INSERT INTO ") + QLatin1String(table) + QLatin1Char(' ') + columns +
           QStringLiteral(" VALUES (") + QString::number(facilityId) + QStringLiteral(", ") +
           otherLiterals + QLatin1Char(')');
}

QString FacilityInsert(qint32 facilityId, const FacilityRow& row) {
    const QString texts = TextLiterals({
        QString::number(row.CalendarQuarter),
        QString::number(row.CalendarYear),
        row.PlantName,
        row.EpaFacilityId,
        row.EpaAirsFacilitySystem,
        row.StateFacilityId,
        row.StatePostalAbbreviation,
        row.CountyCodeFips,
    });
    return Insert("FACILITIES", FacilityColumns, facilityId,
                  texts + QStringLiteral(", ") + SevenDigitText(row.Latitude) +
                      QStringLiteral(", ") + SevenDigitText(row.Longitude));
}

QString UnitInsert(qint32 facilityId, const UnitRow& row) {
    return Insert("UNITS", UnitColumns, facilityId,
                  TextLiterals({
                      row.UnitId,
                      row.UnitType,
                      row.MaxHourlyMmbtuHeatInput,
                      row.FirstCommercialOperation,
                      row.UnitRetirementDate,
                      row.StackExitHeightFeet,
                      row.GroundLevelElevationFeet,
                      row.FlueExitSqFtInsideArea,
                      row.FlowMonitorSqFtInsideArea,
                      row.ProgramRequirementForEdr,
                      row.ReportingFrequency,
                      row.EiaBoilerId,
                      row.EiaFlueId,
                      row.EiaReportingYear,
                      row.EiaFacilityNumber,
                      row.LoadUnits,
                      row.MaxHourlyGrossLoad,
                      row.DesignatedNormalLoad,
                      row.RangeOfOperUpperBoundary,
                      row.RangeOfOperLowerBoundary,
                  }));
}

QString FuelInsert(qint32 facilityId, const FuelRow& row) {
    return Insert("FUELS", FuelColumns, facilityId,
                  TextLiterals({
                      row.UnitId,
                      row.FuelTypeCombusted,
                      row.FuelTypeStartDate,
                      row.FuelTypeEndDate,
                      row.StartupFuel,
                  }));
}

QString QuarterInsert(qint32 facilityId, const QuarterRow& row) {
    return Insert("QUARTERS", QuarterColumns, facilityId,
                  TextLiterals({
                      row.UnitId,
                      row.DateOfReport,
                      row.SO2TonsQtrly,
                      row.SO2TonsCumAnnual,
                      row.NOxAvgQtrly,
                      row.NOxAvgCumAnnual,
                      row.CO2TonsQtrly,
                      row.CO2TonsCumAnnual,
                      row.HeatInputQtrly,
                      row.HeatInputCumAnnual,
                      row.OperatingHoursQtrly,
                      row.OperatingHoursCumAnnual,
                      row.CO2MinPctConcQtrly,
                      row.CO2MaxPctConcQtrly,
                      row.CO2AvgPctConcQtrly,
                      row.VolFlowMin3FtHourQtrly,
                      row.VolFlowMax3FtHourQtrly,
                      row.VolFlowAve3FtHourQtrly,
                  }));
}

} // namespace

void WriteFacility(SourcesDatabase& database, qint32 facilityId, const FacilityRow& row) {
    database.Execute(FacilityInsert(facilityId, row));
}

void WriteUnit(SourcesDatabase& database, qint32 facilityId, const UnitRow& row) {
    database.Execute(UnitInsert(facilityId, row));
}

void WriteFuel(SourcesDatabase& database, qint32 facilityId, const FuelRow& row) {
    database.Execute(FuelInsert(facilityId, row));
}

void WriteQuarter(SourcesDatabase& database, qint32 facilityId, const QuarterRow& row) {
    database.Execute(QuarterInsert(facilityId, row));
}

} // namespace tarnwick
