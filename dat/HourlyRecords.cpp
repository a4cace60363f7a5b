#include "dat/HourlyRecords.h"

#include "db/TextRules.h"

#include <QDate>
#include <optional>

namespace tarnwick {

namespace {

// The key block of the "200"-series types: unit 4-9, date 16-21, hour 22-23.
constexpr qsizetype SeriesDateColumn = 16;
constexpr qsizetype SeriesHourColumn = 22;

// One or two digits with blanks around them, as the database reads each part of a date.
std::optional<int> SmallNumber(QByteArrayView text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && (text[start] == ' ' || text[start] == '\t'))
        ++start;
    while (end > start && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    if (end == start || end - start > 2)
        return std::nullopt;
    int value = 0;
    for (qsizetype i = start; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// YYMMDD naming a real day; a two-digit year below 30 is in the 2000s, as the database has it.
bool IsDay(QByteArrayView line, qsizetype column) {
    const std::optional<int> year = SmallNumber(CutField(line, column, 2));
    const std::optional<int> month = SmallNumber(CutField(line, column + 2, 2));
    const std::optional<int> day = SmallNumber(CutField(line, column + 4, 2));
    return year && month && day &&
           QDate::isValid(*year < 30 ? 2000 + *year : 1900 + *year, *month, *day);
}

bool IsHour(QByteArrayView text) {
    const std::optional<int> hour = SmallNumber(text);
    return hour && *hour <= 23;
}

void CheckKey(const DatLine& line, qsizetype dateColumn, qsizetype hourColumn, HourKey key) {
    if (key == HourKey::NotUsed)
        return;
    const QByteArrayView text = line.Text;
    if (!IsDay(text, dateColumn)) {
        const QString type = DecodeField(RecordType(text));
        const QString reason =
            TrimPadding(CutField(text, dateColumn, 6)).isEmpty()
                ? QStringLiteral("This \"%1\" record has no date.").arg(type)
                : QStringLiteral("The date \"%1\" of this \"%2\" record is not a date.")
                      .arg(DecodeField(FormatDatDate(text, dateColumn, 2)), type);
        throw Error(reason, FailureKind::File, line.Number);
    }
    const QByteArrayView hour = CutField(text, hourColumn, 2);
    if (!IsHour(hour)) {
        const QString type = DecodeField(RecordType(text));
        const QString reason =
            TrimPadding(hour).isEmpty()
                ? QStringLiteral("This \"%1\" record has no hour.").arg(type)
                : QStringLiteral("The hour \"%1\" of this \"%2\" record is not an hour from 0 "
                                 "to 23.")
                      .arg(DecodeField(hour), type);
        throw Error(reason, FailureKind::File, line.Number);
    }
}

template <typename Record>
void ReadKey(Record& record, const DatLine& line, qsizetype dateColumn, qsizetype hourColumn,
             HourKey key) {
    CheckKey(line, dateColumn, hourColumn, key);
    record.UnitId.Assign(TrimPadding(CutField(line.Text, 4, 6)));
    record.DataDate.Assign(FormatDatDate(line.Text, dateColumn, 2));
    record.DataHour.Assign(CutField(line.Text, hourColumn, 2));
}

} // namespace

SO2ConcRecord ReadSO2ConcRecord(const DatLine& line, HourKey key) {
    CheckKey(line, SeriesDateColumn, SeriesHourColumn, key);
    const QByteArrayView text = line.Text;
    SO2ConcRecord record;
    record.UnitId.Assign(CutField(text, 4, 6)); // the one unit kept as it stands
    record.DataDate.Assign(FormatDatDate(text, SeriesDateColumn, 2));
    record.DataHour.Assign(CutField(text, SeriesHourColumn, 2));
    record.SO2Concentration.Assign(CutField(text, 29, 6));
    record.AdjustedSO2Concentration.Assign(CutField(text, 35, 6));
    record.MonitorDataAvailability.Assign(CutField(text, 24, 5));
    record.SourceLine = line.Number;
    return record;
}

NOxConcRecord ReadNOxConcRecord(const DatLine& line, HourKey key) {
    const QByteArrayView text = line.Text;
    NOxConcRecord record;
    ReadKey(record, line, SeriesDateColumn, SeriesHourColumn, key);
    record.NOxConcentration.Assign(TrimPadding(CutField(text, 24, 6)));
    record.AdjustedNOxConcentration.Assign(TrimPadding(CutField(text, 32, 6)));
    record.MonitorDataAvailability.Assign(TrimPadding(CutField(text, 38, 5)));
    record.SourceLine = line.Number;
    return record;
}

CO2ConcRecord ReadCO2ConcRecord(const DatLine& line, HourKey key) {
    const QByteArrayView text = line.Text;
    CO2ConcRecord record;
    ReadKey(record, line, SeriesDateColumn, SeriesHourColumn, key);
    record.CO2Concentration.Assign(CutField(text, 24, 6));
    record.MonitorDataAvailability.Assign(CutField(text, 32, 5));
    record.SourceLine = line.Number;
    return record;
}

FlowRecord ReadFlowRecord(const DatLine& line, HourKey key) {
    const QByteArrayView text = line.Text;
    FlowRecord record;
    ReadKey(record, line, SeriesDateColumn, SeriesHourColumn, key);
    record.AverageVolumetricFlow.Assign(CutField(text, 29, 10));
    record.AdjustedVolumetricFlow.Assign(CutField(text, 39, 10));
    record.FlowDataAvailability.Assign(CutField(text, 24, 5));
    record.SourceLine = line.Number;
    return record;
}

SO2MassRecord ReadSO2MassRecord(const DatLine& line, HourKey key) {
    const QByteArrayView text = line.Text;
    SO2MassRecord record;
    ReadKey(record, line, 10, 16, key);
    record.SO2Mass.Assign(CutField(text, 18, 7));
    record.AdjustedSO2Mass.Assign(CutField(text, 25, 7));
    record.TotalSO2Mass.Assign(CutField(text, 35, 7));
    record.SourceLine = line.Number;
    return record;
}

NOxRateRecord ReadNOxRateRecord(const DatLine& line, HourKey key) {
    const QByteArrayView text = line.Text;
    NOxRateRecord record;
    ReadKey(record, line, 13, 19, key);
    record.NOxEmissionRate.Assign(CutField(text, 36, 6));
    record.AdjustedNOxEmissionRate.Assign(CutField(text, 42, 6));
    record.DataAvailability.Assign(CutField(text, 21, 5));
    record.OperatingLoadRange.Assign(CutField(text, 48, 2));
    record.SourceLine = line.Number;
    return record;
}

CO2MassRecord ReadCO2MassRecord(const DatLine& line, HourKey key) {
    const QByteArrayView text = line.Text;
    CO2MassRecord record;
    ReadKey(record, line, 10, 16, key);
    record.CO2Mass.Assign(CutField(text, 18, 10));
    record.TotalCO2Mass.Assign(CutField(text, 33, 10));
    record.SourceLine = line.Number;
    return record;
}

void ReadFacilityRecord(const DatLine& line, ReaderState& state) {
    state.CurrentFacilityId =
        ReadInt32(CutField(line.Text, 4, 6), "facility identifier", line.Number);
}

} // namespace tarnwick
