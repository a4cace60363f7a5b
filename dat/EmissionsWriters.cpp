#include "dat/EmissionsWriters.h"

#include "db/TextRules.h"

#include <array>
#include <charconv>
#include <tuple>

namespace tarnwick {

namespace {

// The fixed text pieces of one writer's statements. Every SET piece after the first starts
// with the separator that closes the value before it.
template <std::size_t N> struct WriterPieces {
    QStringView Columns;
    std::array<QStringView, N> SetPieces;
    QStringView Closer;
};

template <std::size_t N> using ValueTexts = std::array<QString, N>;

// Room for the key block, the WHERE clause and the punctuation around the values, so a
// statement is built with a single allocation (unless a value holds quotes).
constexpr qsizetype KeyAndPunctuationLength = 200;

// "200" records are only inserted, so their writer has no SET pieces.
constexpr WriterPieces<3> SO2ConcPieces{u"(FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, "
                                        u"SO2_PCT_MONITOR_DATA_AVAIL, "
                                        u"SO2_AVG_PPM_PER_HOUR, SO2_AVG_PPM_PER_HOUR_ADJ)",
                                        {},
                                        {}};

constexpr WriterPieces<3> NOxConcPieces{
    u"(FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, NOX_AVG_PPM_PER_HOUR, "
    u"NOX_AVG_PPM_PER_HOUR_ADJ, NOX_PCT_MONITOR_DATA_AVAIL)",
    {u"NOX_AVG_PPM_PER_HOUR = '", u"', NOX_AVG_PPM_PER_HOUR_ADJ = '",
     u"', NOX_PCT_MONITOR_DATA_AVAIL = '"},
    u"' "};

constexpr WriterPieces<2> CO2ConcPieces{
    u"(FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, "
    u"CO2_AVG_PCT_CONC_PER_HOUR, CO2_PCT_MONITOR_DATA_AVAIL)",
    {u"CO2_AVG_PCT_CONC_PER_HOUR = '", u"', CO2_PCT_MONITOR_DATA_AVAIL = '"},
    u"' "};

constexpr WriterPieces<3> FlowPieces{u"(FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, "
                                     u"VOL_FLOW_PCT_DATA_AVAIL, VOL_FLOW_AVG_STD_3FT_PER_HOUR, "
                                     u"VOL_FLOW_AVG_STD_3FT_HOUR_ADJ)",
                                     {u"VOL_FLOW_PCT_DATA_AVAIL = '",
                                      u"', VOL_FLOW_AVG_STD_3FT_PER_HOUR = '",
                                      u"', VOL_FLOW_AVG_STD_3FT_HOUR_ADJ = '"},
                                     u"'"};

constexpr WriterPieces<3> SO2MassPieces{
    u"(FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, "
    u"SO2_MASS_LB_HOUR, SO2_MASS_LB_HOUR_ADJ, "
    u"SO2_MASS_LB_HOUR_TOTAL)",
    {u"SO2_MASS_LB_HOUR = '", u"', SO2_MASS_LB_HOUR_ADJ = '", u"', SO2_MASS_LB_HOUR_TOTAL = '"},
    u"'"};

// The load range piece has no blank after its comma: the established text of this statement.
constexpr WriterPieces<4> NOxRatePieces{
    u"(FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, "
    u"NOX_PCT_DATA_AVAILABLE, NOX_AVG_LB_PER_MMBTU, "
    u"NOX_AVG_LB_PER_MMBTU_ADJ, NOX_OPERATING_LOAD_RANGE)",
    {u"NOX_PCT_DATA_AVAILABLE = '", u"', NOX_AVG_LB_PER_MMBTU = '",
     u"', NOX_AVG_LB_PER_MMBTU_ADJ = '", u"',NOX_OPERATING_LOAD_RANGE = '"},
    u"'"};

constexpr WriterPieces<2> CO2MassPieces{
    u"(FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, "
    u"CO2_MASS_TON_HOUR, CO2_MASS_TON_HOUR_TOTAL)",
    {u"CO2_MASS_TON_HOUR = '", u"', CO2_MASS_TON_HOUR_TOTAL = '"},
    u"'"};

// The record's values in the order of its writer's column list.
ValueTexts<3> ValuesOf(const SO2ConcRecord& record) {
    return {record.MonitorDataAvailability.Text(), record.SO2Concentration.Text(),
            record.AdjustedSO2Concentration.Text()};
}
ValueTexts<3> ValuesOf(const NOxConcRecord& record) {
    return {record.NOxConcentration.Text(), record.AdjustedNOxConcentration.Text(),
            record.MonitorDataAvailability.Text()};
}
ValueTexts<2> ValuesOf(const CO2ConcRecord& record) {
    return {record.CO2Concentration.Text(), record.MonitorDataAvailability.Text()};
}
ValueTexts<3> ValuesOf(const FlowRecord& record) {
    return {record.FlowDataAvailability.Text(), record.AverageVolumetricFlow.Text(),
            record.AdjustedVolumetricFlow.Text()};
}
ValueTexts<3> ValuesOf(const SO2MassRecord& record) {
    return {record.SO2Mass.Text(), record.AdjustedSO2Mass.Text(), record.TotalSO2Mass.Text()};
}
ValueTexts<4> ValuesOf(const NOxRateRecord& record) {
    return {record.DataAvailability.Text(), record.NOxEmissionRate.Text(),
            record.AdjustedNOxEmissionRate.Text(), record.OperatingLoadRange.Text()};
}
ValueTexts<2> ValuesOf(const CO2MassRecord& record) {
    return {record.CO2Mass.Text(), record.TotalCO2Mass.Text()};
}

void AppendNumber(QString& text, qint32 value) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.append(QLatin1StringView(digits, end - digits));
}

// A record's field texts, decoded once for both of its statements.
template <std::size_t N> struct RecordTexts {
    QString UnitId;
    QString DataDate;
    QString DataHour;
    ValueTexts<N> Values;
};

template <typename Record> auto TextsOf(const Record& record) {
    constexpr std::size_t count = std::tuple_size_v<decltype(ValuesOf(record))>;
    return RecordTexts<count>{record.UnitId.Text(), record.DataDate.Text(), record.DataHour.Text(),
                              ValuesOf(record)};
}

template <std::size_t N>
qsizetype StatementCapacity(const WriterPieces<N>& pieces, const RecordTexts<N>& texts) {
    qsizetype length = KeyAndPunctuationLength + pieces.Columns.size() + pieces.Closer.size();
    for (const QStringView piece : pieces.SetPieces)
        length += piece.size();
    for (const QString& value : texts.Values)
        length += value.size();
    return length;
}

// Empties `text` for the next statement, keeping its room.
void StartStatement(QString& text, qsizetype capacity) {
    text.resize(0);
    text.reserve(capacity);
}

template <std::size_t N>
void BuildInsert(QString& text, const WriterPieces<N>& pieces, qint32 facilityId,
                 const RecordTexts<N>& texts) {
    StartStatement(text, StatementCapacity(pieces, texts));
    text.append(u"INSERT INTO EMISSIONS ");
    text.append(pieces.Columns);
    text.append(u" VALUES (");
    AppendNumber(text, facilityId);
    text.append(u", '");
    AppendSqlText(text, texts.UnitId);
    text.append(u"', '");
    AppendSqlText(text, texts.DataDate);
    text.append(u"', '");
    AppendSqlText(text, texts.DataHour);
    for (const QString& value : texts.Values) {
        text.append(u"', '");
        AppendSqlText(text, value);
    }
    text.append(u"')");
}

// The date stands between "#" signs and the hour bare, as the database compares them.
template <std::size_t N>
void BuildUpdate(QString& text, const WriterPieces<N>& pieces, qint32 facilityId,
                 const RecordTexts<N>& texts) {
    StartStatement(text, StatementCapacity(pieces, texts));
    text.append(u"UPDATE EMISSIONS SET ");
    for (std::size_t i = 0; i < N; ++i) {
        text.append(pieces.SetPieces[i]);
        AppendSqlText(text, texts.Values[i]);
    }
    text.append(pieces.Closer);
    text.append(u"WHERE (((FACILITY_ID)=");
    AppendNumber(text, facilityId);
    text.append(u") AND ((UNIT_ID)='");
    AppendSqlText(text, texts.UnitId);
    text.append(u"') AND ((DATA_DATE)=#");
    text.append(texts.DataDate);
    text.append(u"#) AND ((DATA_HOUR)=");
    text.append(texts.DataHour);
    text.append(u"))");
}

void ExecuteForLine(SourcesDatabase& database, const QString& statement, qint64 line) {
    try {
        database.Execute(statement);
    } catch (Error& error) {
        // A bulk write has no line of its own: the reader writes the file again one by one.
        if (error.Kind != FailureKind::BulkWrite)
            error.Line = line;
        throw;
    }
}

enum class Statements { InsertOnly, InsertAndUpdate };

template <typename Record, std::size_t N>
void WriteRecords(std::span<const Record> records, qint32 facilityId, SourcesDatabase& database,
                  const WriterPieces<N>& pieces, Statements statements) {
    QString statement; // one buffer for every statement of the writer
    for (const Record& record : records) {
        const RecordTexts<N> texts = TextsOf(record);
        BuildInsert(statement, pieces, facilityId, texts);
        ExecuteForLine(database, statement, record.SourceLine);
        if (statements == Statements::InsertAndUpdate) {
            BuildUpdate(statement, pieces, facilityId, texts);
            ExecuteForLine(database, statement, record.SourceLine);
        }
    }
}

} // namespace

void WriteSO2Concentrations(std::span<const SO2ConcRecord> records, qint32 facilityId,
                            SourcesDatabase& database) {
    // The "200" row is only ever created here; the later writers fill their columns into it.
    WriteRecords(records, facilityId, database, SO2ConcPieces, Statements::InsertOnly);
}
void WriteNOxConcentrations(std::span<const NOxConcRecord> records, qint32 facilityId,
                            SourcesDatabase& database) {
    WriteRecords(records, facilityId, database, NOxConcPieces, Statements::InsertAndUpdate);
}
void WriteCO2Concentrations(std::span<const CO2ConcRecord> records, qint32 facilityId,
                            SourcesDatabase& database) {
    WriteRecords(records, facilityId, database, CO2ConcPieces, Statements::InsertAndUpdate);
}
void WriteVolumetricFlows(std::span<const FlowRecord> records, qint32 facilityId,
                          SourcesDatabase& database) {
    WriteRecords(records, facilityId, database, FlowPieces, Statements::InsertAndUpdate);
}
void WriteSO2MassEmissions(std::span<const SO2MassRecord> records, qint32 facilityId,
                           SourcesDatabase& database) {
    WriteRecords(records, facilityId, database, SO2MassPieces, Statements::InsertAndUpdate);
}
void WriteNOxEmissionRates(std::span<const NOxRateRecord> records, qint32 facilityId,
                           SourcesDatabase& database) {
    WriteRecords(records, facilityId, database, NOxRatePieces, Statements::InsertAndUpdate);
}
void WriteCO2MassEmissions(std::span<const CO2MassRecord> records, qint32 facilityId,
                           SourcesDatabase& database) {
    WriteRecords(records, facilityId, database, CO2MassPieces, Statements::InsertAndUpdate);
}

} // namespace tarnwick
