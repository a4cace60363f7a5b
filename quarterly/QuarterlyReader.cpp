#include "quarterly/QuarterlyReader.h"

#include "dat/DatLineReader.h"
#include "dat/FieldReaders.h"
#include "db/TextRules.h"
#include "quarterly/CodeTables.h"
#include "quarterly/HeaderWriters.h"
#include "quarterly/StatisticText.h"

namespace tarnwick {

namespace {

// Count, sum, minimum and maximum of one hourly quantity over a file. The sum is kept in
// double precision without rounding, and the extremes start from the first value, so large
// flows and negative values come out right.
struct HourlyStatistics {
    qint32 Count = 0;
    double Sum = 0;
    float Minimum = 0;
    float Maximum = 0;

    void Add(double value) {
        const float single = float(value);
        if (Count == 0 || single < Minimum)
            Minimum = single;
        if (Count == 0 || single > Maximum)
            Maximum = single;
        Sum += value;
        ++Count;
    }
};

// The values collected from one file; the last record of each type wins.
struct QuarterlyValues {
    FacilityRow Facility;
    UnitRow Unit;
    FuelRow Fuel;
    QuarterRow Quarter;
    QString UnitId; // from "301" or "504", whichever came last
    HourlyStatistics CO2;
    HourlyStatistics Flow;
};

QString Piece(const DatLine& line, qsizetype column, qsizetype length) {
    return DecodeField(CutField(line.Text, column, length));
}

QString TrailingTrimmedPiece(const DatLine& line, qsizetype column, qsizetype length) {
    return DecodeField(TrimTrailingPadding(CutField(line.Text, column, length)));
}

QString TrimmedPiece(const DatLine& line, qsizetype column, qsizetype length) {
    return DecodeField(TrimPadding(CutField(line.Text, column, length)));
}

// A piece for a column of numbers: a NUL byte in it keeps it from reading as one.
QString ValuePiece(const DatLine& line, qsizetype column, qsizetype length) {
    return DecodeValueField(CutField(line.Text, column, length));
}

QString Date(const DatLine& line, qsizetype column, int yearDigits) {
    return DecodeValueField(FormatDatDate(line.Text, column, yearDigits));
}

// Degrees, minutes and seconds at `column` (widths degreeWidth, 2, 2) as decimal degrees.
double Angle(const DatLine& line, qsizetype column, qsizetype degreeWidth) {
    const auto piece = [&](qsizetype at, qsizetype width) {
        return float(ReadFieldNumber(CutField(line.Text, at, width)).Value);
    };
    const float degrees = piece(column, degreeWidth);
    const float minutes = piece(column + degreeWidth, 2);
    const float seconds = piece(column + degreeWidth + 2, 2);
    return (double(seconds) / 60 + double(minutes)) / 60 + double(degrees);
}

// Columns 91-103 hold latitude and longitude in either order; no reporting plant lies north
// of 75 degrees, so a first angle above 75 is the longitude. With no number there, both are 0.
void ReadCoordinates(const DatLine& line, FacilityRow& facility) {
    const FieldNumber order = ReadFieldNumber(CutField(line.Text, 91, 2));
    if (!order.Found) {
        facility.Latitude = 0;
        facility.Longitude = 0;
        return;
    }
    const bool longitudeFirst = order.Value > 75;
    const double first = Angle(line, 91, 2);
    const double second = Angle(line, 97, 3);
    facility.Latitude = float(longitudeFirst ? second : first);
    facility.Longitude = float((longitudeFirst ? first : second) * -1);
}

void ReadFacilityQuarter(const DatLine& line, ReaderState& state, FacilityRow& facility) {
    ReadFacilityRecord(line, state);
    facility.CalendarQuarter =
        ReadInt16(CutField(line.Text, 10, 1), "calendar quarter", line.Number);
    facility.CalendarYear = ReadInt16(CutField(line.Text, 11, 4), "calendar year", line.Number);
}

void ReadFacilityLocation(const DatLine& line, FacilityRow& facility) {
    constexpr qsizetype ShortestLocationLine = 51;
    if (line.Text.size() < ShortestLocationLine)
        return;
    facility.PlantName = TrailingTrimmedPiece(line, 4, 20);
    facility.EpaFacilityId = Piece(line, 24, 12);
    facility.EpaAirsFacilitySystem = Piece(line, 36, 10);
    facility.StateFacilityId = Piece(line, 46, 15);
    facility.StatePostalAbbreviation = Piece(line, 85, 2);
    facility.CountyCodeFips = Piece(line, 87, 3);
    ReadCoordinates(line, facility);
}

// The concentration or flow piece stored as the text of its value, cut by the field; the
// statistics take the value read back from the field. A value out of range fails the file.
template <std::size_t N, FieldKind Kind>
double StoreNumber(FixedText<N, Kind>& field, const DatLine& line, qsizetype column,
                   const char* what) {
    const double read =
        ReadCountedNumber(CutField(line.Text, column, qsizetype(N)), what, line.Number);
    field.Assign(ShortestNumberText(read).toLatin1());
    return ReadFieldNumber(field.View()).Value;
}

void ReadCO2Concentration(const DatLine& line, ReaderState& state, HourlyStatistics& co2) {
    CO2ConcRecord record = ReadCO2ConcRecord(line, HourKey::NotUsed);
    co2.Add(StoreNumber(record.CO2Concentration, line, 24, "CO2 concentration"));
    state.Lists.CO2ConcRecords.push_back(record);
}

void ReadFlow(const DatLine& line, ReaderState& state, HourlyStatistics& flow) {
    FlowRecord record = ReadFlowRecord(line, HourKey::NotUsed);
    flow.Add(StoreNumber(record.AverageVolumetricFlow, line, 29, "volumetric flow"));
    state.Lists.FlowRecords.push_back(record);
}

void ReadQuarterlySummary(const DatLine& line, QuarterlyValues& values) {
    QuarterRow& quarter = values.Quarter;
    values.UnitId = TrailingTrimmedPiece(line, 4, 6);
    quarter.DateOfReport = Date(line, 10, 2);
    quarter.SO2TonsQtrly = ValuePiece(line, 16, 10);
    quarter.SO2TonsCumAnnual = ValuePiece(line, 26, 10);
    quarter.NOxAvgQtrly = ValuePiece(line, 36, 13);
    quarter.NOxAvgCumAnnual = ValuePiece(line, 49, 13);
    quarter.CO2TonsQtrly = ValuePiece(line, 62, 10);
    quarter.CO2TonsCumAnnual = ValuePiece(line, 72, 10);
    quarter.HeatInputQtrly = ValuePiece(line, 82, 10);
    quarter.HeatInputCumAnnual = ValuePiece(line, 92, 10);
    quarter.OperatingHoursQtrly = ValuePiece(line, 114, 4);
    quarter.OperatingHoursCumAnnual = ValuePiece(line, 118, 4);
}

void ReadUnitDefinition(const DatLine& line, QuarterlyValues& values) {
    UnitRow& unit = values.Unit;
    values.UnitId = TrailingTrimmedPiece(line, 4, 6);
    unit.UnitType = UnitTypeName(TrailingTrimmedPiece(line, 10, 3));
    unit.MaxHourlyMmbtuHeatInput = ValuePiece(line, 13, 7);
    unit.FirstCommercialOperation = Date(line, 20, 4);
    // Kept in column order, unlike the other dates.
    unit.UnitRetirementDate = Piece(line, 28, 2) + QLatin1Char('/') + Piece(line, 30, 2) +
                              QLatin1Char('/') + Piece(line, 32, 4);
    unit.StackExitHeightFeet = ValuePiece(line, 36, 4);
    unit.GroundLevelElevationFeet = ValuePiece(line, 40, 5);
    unit.FlueExitSqFtInsideArea = ValuePiece(line, 45, 4);
    unit.FlowMonitorSqFtInsideArea = ValuePiece(line, 49, 4);
}

void ReadProgram(const DatLine& line, UnitRow& unit) {
    unit.ProgramRequirementForEdr = TrailingTrimmedPiece(line, 10, 10);
    unit.ReportingFrequency = Piece(line, 22, 2);
}

void ReadEiaCrossReference(const DatLine& line, UnitRow& unit) {
    unit.EiaBoilerId = TrailingTrimmedPiece(line, 16, 5);
    unit.EiaFlueId = TrailingTrimmedPiece(line, 21, 5);
    unit.EiaReportingYear = ValuePiece(line, 26, 4);
    unit.EiaFacilityNumber = Piece(line, 37, 6);
}

void ReadLoad(const DatLine& line, UnitRow& unit) {
    unit.LoadUnits = Piece(line, 10, 2);
    unit.MaxHourlyGrossLoad = ValuePiece(line, 12, 6);
    unit.DesignatedNormalLoad = TrimmedPiece(line, 18, 1);
}

void ReadRangeOfOperation(const DatLine& line, UnitRow& unit) {
    unit.RangeOfOperUpperBoundary = ValuePiece(line, 10, 6);
    unit.RangeOfOperLowerBoundary = ValuePiece(line, 16, 6);
}

void ReadFuel(const DatLine& line, FuelRow& fuel) {
    fuel.FuelTypeCombusted = FuelTypeName(TrimmedPiece(line, 10, 3));
    fuel.FuelTypeStartDate = Date(line, 13, 4);
    fuel.FuelTypeEndDate = Date(line, 21, 4);
    fuel.StartupFuel = Piece(line, 29, 1);
}

void ReadQuarterlyLine(const DatLine& line, ReaderState& state, QuarterlyValues& values) {
    const QByteArrayView type = RecordType(line.Text);
    if (type == "100")
        ReadFacilityQuarter(line, state, values.Facility);
    else if (type == "102")
        ReadFacilityLocation(line, values.Facility);
    else if (type == "202")
        ReadCO2Concentration(line, state, values.CO2);
    else if (type == "220")
        ReadFlow(line, state, values.Flow);
    else if (type == "301")
        ReadQuarterlySummary(line, values);
    else if (type == "504")
        ReadUnitDefinition(line, values);
    else if (type == "505")
        ReadProgram(line, values.Unit);
    else if (type == "506")
        ReadEiaCrossReference(line, values.Unit);
    else if (type == "535")
        ReadLoad(line, values.Unit);
    else if (type == "536")
        ReadRangeOfOperation(line, values.Unit);
    else if (type == "587")
        ReadFuel(line, values.Fuel);
}

// Reads the whole file; the reader, and with it the file, is closed on return or throw.
QuarterlyValues ReadQuarterlyValues(const DatPath& path, ReaderState& state, FileRead& read) {
    state.Lists.CO2ConcRecords.clear();
    state.Lists.FlowRecords.clear();
    QuarterlyValues values;
    DatFileReader reader(path);
    DatLine line;
    while (reader.NextLine(line))
        ReadQuarterlyLine(line, state, values);
    read = reader.Finished();
    return values;
}

// The CO2 average as the "0.00" format gives it, read back into single precision.
float CO2Average(const HourlyStatistics& co2) {
    return FormatHundredths(co2.Sum / co2.Count).toFloat();
}

float FlowAverage(const HourlyStatistics& flow) {
    return float(flow.Sum / flow.Count);
}

void SetStatisticTexts(QuarterlyValues& values) {
    QuarterRow& quarter = values.Quarter;
    if (values.CO2.Count != 0) {
        quarter.CO2MinPctConcQtrly = StatisticText(values.CO2.Minimum);
        quarter.CO2MaxPctConcQtrly = StatisticText(values.CO2.Maximum);
        quarter.CO2AvgPctConcQtrly = StatisticText(CO2Average(values.CO2));
    }
    if (values.Flow.Count != 0) {
        quarter.VolFlowMin3FtHourQtrly = StatisticText(values.Flow.Minimum);
        quarter.VolFlowMax3FtHourQtrly = StatisticText(values.Flow.Maximum);
        quarter.VolFlowAve3FtHourQtrly = StatisticText(FlowAverage(values.Flow));
    }
}

void WriteHeaderRows(SourcesDatabase& database, qint32 facilityId, QuarterlyValues& values,
                     const FileWritten& written, const FileRead& read) {
    values.Unit.UnitId = values.UnitId;
    values.Fuel.UnitId = values.UnitId;
    values.Quarter.UnitId = values.UnitId;
    StatementGroup group(database);
    WriteFacility(database, facilityId, values.Facility);
    WriteUnit(database, facilityId, values.Unit);
    WriteFuel(database, facilityId, values.Fuel);
    WriteQuarter(database, facilityId, values.Quarter);
    if (written)
        written(read);
    group.Commit();
}

} // namespace

void ExtractQuarterlyFile(const DatPath& path, ReaderState& state, SourcesDatabase& database,
                          RecordProgress& progress, const FileWritten& written) {
    FileRead read;
    QuarterlyValues values = ReadQuarterlyValues(path, state, read);
    progress.SetRecordProgress(10);
    SetStatisticTexts(values);
    WriteHeaderRows(database, state.CurrentFacilityId, values, written, read);
    progress.SetRecordProgress(100);
}

} // namespace tarnwick
