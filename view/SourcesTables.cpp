#include "view/SourcesTables.h"

namespace tarnwick {

namespace {

QStringList EmissionsColumns() {
    QStringList columns{"FACILITY_ID", "UNIT_ID", "DATA_DATE", "DATA_HOUR"};
    for (const Measure& measure : Measures())
        columns << measure.Column;
    return columns;
}

} // namespace

QString SourcesTable::FindColumn(QStringView name) const {
    for (const QString& column : Columns)
        if (column.compare(name, Qt::CaseInsensitive) == 0)
            return column;
    return {};
}

const std::vector<SourcesTable>& SourcesTables() {
    static const std::vector<SourcesTable> tables{
        {"EMISSIONS",
         EmissionsColumns(),
         {"FACILITY_ID", "UNIT_ID", "DATA_DATE", "DATA_HOUR"},
         "FACILITY_ID",
         "UNIT_ID",
         "DATA_DATE"},
        {"FACILITIES",
         {"Facility_ID", "Calendar_Quarter", "Calendar_Year", "Plant_Name", "Epa_Facility_ID",
          "Epa_Airs_Facility_System", "State_Facility_ID", "State_Postal_Abbreviation",
          "County_Code_Fips", "Latitude", "Longitude"},
         {"Facility_ID", "Calendar_Year", "Calendar_Quarter"},
         "Facility_ID",
         {},
         {}},
        {"UNITS",
         {"FACILITY_ID",
          "UNIT_ID",
          "UNIT_TYPE",
          "MAX_HOURLY_MMBTU_HEAT_INPUT",
          "FIRST_COMMERCIAL_OPERATION",
          "UNIT_RETIREMENT_DATE",
          "STACK_EXIT_HEIGHT_FEET",
          "GROUND_LEVEL_ELEVATION_FEET",
          "FLUE_EXIT_SQ_FT_INSIDE_AREA",
          "FLOW_MONITOR_SQ_FT_INSIDE_AREA",
          "PROGRAM_REQUIREMENT_FOR_EDR",
          "REPORTING_FREQUENCY",
          "EIA_BOILER_ID",
          "EIA_FLUE_ID",
          "EIA_REPORTING_YEAR",
          "EIA_FACILITY_NUMBER",
          "LOAD_UNITS",
          "MAX_HOURLY_GROSS_LOAD",
          "DESIGNATED_NORMAL_LOAD",
          "RANGE_OF_OPER_UPPER_BOUNDARY",
          "RANGE_OF_OPER_LOWER_BOUNDARY"},
         {"FACILITY_ID", "UNIT_ID"},
         "FACILITY_ID",
         "UNIT_ID",
         {}},
        {"FUELS",
         {"FACILITY_ID", "UNIT_ID", "FUEL_TYPE_COMBUSTED", "FUEL_TYPE_START_DATE",
          "FUEL_TYPE_END_DATE", "STARTUP_FUEL"},
         {"FACILITY_ID", "UNIT_ID", "FUEL_TYPE_COMBUSTED"},
         "FACILITY_ID",
         "UNIT_ID",
         {}},
        {"QUARTERS",
         {"FACILITY_ID", "UNIT_ID", "DATE_OF_REPORT", "SO2_TONS_QTRLY", "SO2_TONS_CUM_ANNUAL",
          "NOX_AVG_QTRLY", "NOX_AVG_CUM_ANNUAL", "CO2_TONS_QTRLY", "CO2_TONS_CUM_ANNUAL",
          "HEAT_INPUT_QTRLY", "HEAT_INPUT_CUM_ANNUAL", "OPERATING_HOURS_QTRLY",
          "OPERATING_HOURS_CUM_ANNUAL", "CO2_MIN_PCT_CONC_QTRLY", "CO2_MAX_PCT_CONC_QTRLY",
          "CO2_AVG_PCT_CONC_QTRLY", "VOL_FLOW_MIN_3FT_HOUR_QTRLY", "VOL_FLOW_MAX_3FT_HOUR_QTRLY",
          "VOL_FLOW_AVE_3FT_HOUR_QTRLY"},
         // Not a key (a report without a date is kept), but the order a unit's reports read in.
         {"FACILITY_ID", "UNIT_ID", "DATE_OF_REPORT"},
         "FACILITY_ID",
         "UNIT_ID",
         "DATE_OF_REPORT"},
    };
    return tables;
}

const SourcesTable* FindSourcesTable(QStringView name) {
    for (const SourcesTable& table : SourcesTables())
        if (table.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &table;
    return nullptr;
}

const SourcesTable& EmissionsTable() {
    return SourcesTables().front();
}

const std::vector<Measure>& Measures() {
    static const std::vector<Measure> measures{
        {"SO2_PCT_MONITOR_DATA_AVAIL", "SO2 monitor data availability, %"},
        {"SO2_AVG_PPM_PER_HOUR", "SO2 concentration, ppm"},
        {"SO2_AVG_PPM_PER_HOUR_ADJ", "SO2 concentration adjusted, ppm"},
        {"NOX_AVG_PPM_PER_HOUR", "NOx concentration, ppm"},
        {"NOX_AVG_PPM_PER_HOUR_ADJ", "NOx concentration adjusted, ppm"},
        {"NOX_PCT_MONITOR_DATA_AVAIL", "NOx monitor data availability, %"},
        {"CO2_AVG_PCT_CONC_PER_HOUR", "CO2 concentration, %"},
        {"CO2_PCT_MONITOR_DATA_AVAIL", "CO2 monitor data availability, %"},
        {"VOL_FLOW_PCT_DATA_AVAIL", "Flow monitor data availability, %"},
        {"VOL_FLOW_AVG_STD_3FT_PER_HOUR", "Volumetric flow, scf/hr"},
        {"VOL_FLOW_AVG_STD_3FT_HOUR_ADJ", "Volumetric flow adjusted, scf/hr"},
        {"SO2_MASS_LB_HOUR", "SO2 mass, lb/hr"},
        {"SO2_MASS_LB_HOUR_ADJ", "SO2 mass adjusted, lb/hr"},
        {"SO2_MASS_LB_HOUR_TOTAL", "SO2 mass total, lb/hr"},
        {"NOX_PCT_DATA_AVAILABLE", "NOx rate data availability, %"},
        {"NOX_AVG_LB_PER_MMBTU", "NOx rate, lb/mmBtu"},
        {"NOX_AVG_LB_PER_MMBTU_ADJ", "NOx rate adjusted, lb/mmBtu"},
        {"NOX_OPERATING_LOAD_RANGE", "NOx operating load range, range number"},
        {"CO2_MASS_TON_HOUR", "CO2 mass, tons/hr"},
        {"CO2_MASS_TON_HOUR_TOTAL", "CO2 mass total, tons/hr"},
    };
    return measures;
}

const Measure* FindMeasure(QStringView column) {
    for (const Measure& measure : Measures())
        if (measure.Column.compare(column, Qt::CaseInsensitive) == 0)
            return &measure;
    return nullptr;
}

} // namespace tarnwick
