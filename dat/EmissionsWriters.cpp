#include "dat/EmissionsWriters.h"

#include "db/StatementParts.h"

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

// The pieces keep the quotes around their values, as the statements read; a form puts them
// around its text literals itself.
QStringView WithoutQuotes(QStringView piece) {
    if (piece.startsWith(u'\''))
        piece = piece.sliced(1);
    if (piece.endsWith(u'\''))
        piece.chop(1);
    return piece;
}

// INSERT INTO EMISSIONS (columns) VALUES (facility, 'unit', 'date', 'hour', 'value', ...)
template <std::size_t N> StatementForm InsertForm(const WriterPieces<N>& pieces) {
    StatementForm form;
    form.Fixed(u"INSERT INTO EMISSIONS ").Fixed(pieces.Columns).Fixed(u" VALUES (");
    form.Literal(LiteralKind::Number);
    for (std::size_t i = 0; i < 3 + N; ++i)
        form.Fixed(u", ").Literal(LiteralKind::Text);
    form.Fixed(u")");
    return form;
}

// The date stands between "#" signs and the hour bare, as the database compares them.
template <std::size_t N> StatementForm UpdateForm(const WriterPieces<N>& pieces) {
    StatementForm form;
    form.Fixed(u"UPDATE EMISSIONS SET ");
    for (std::size_t i = 0; i < N; ++i)
        form.Fixed(WithoutQuotes(pieces.SetPieces[i])).Literal(LiteralKind::Text);
    form.Fixed(WithoutQuotes(pieces.Closer)).Fixed(u"WHERE (((FACILITY_ID)=");
    form.Literal(LiteralKind::Number).Fixed(u") AND ((UNIT_ID)=");
    form.Literal(LiteralKind::Text).Fixed(u") AND ((DATA_DATE)=");
    form.Literal(LiteralKind::Date).Fixed(u") AND ((DATA_HOUR)=");
    form.Literal(LiteralKind::Number).Fixed(u"))");
    return form;
}

template <std::size_t N>
void SetInsert(StatementParts& insert, QStringView facility, const RecordTexts<N>& texts) {
    insert.Set(0, facility);
    insert.Set(1, texts.UnitId);
    insert.Set(2, texts.DataDate);
    insert.Set(3, texts.DataHour);
    for (std::size_t i = 0; i < N; ++i)
        insert.Set(4 + i, texts.Values[i]);
}

template <std::size_t N>
void SetUpdate(StatementParts& update, QStringView facility, const RecordTexts<N>& texts) {
    for (std::size_t i = 0; i < N; ++i)
        update.Set(i, texts.Values[i]);
    update.Set(N, facility);
    update.Set(N + 1, texts.UnitId);
    update.Set(N + 2, texts.DataDate);
    update.Set(N + 3, texts.DataHour);
}

void ExecuteForLine(SourcesDatabase& database, const StatementParts& statement, qint64 line) {
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

// A writer's two forms, made once.
template <std::size_t N> struct WriterForms {
    explicit WriterForms(const WriterPieces<N>& pieces)
        : Insert(InsertForm(pieces)), Update(UpdateForm(pieces)) {}
    StatementForm Insert;
    StatementForm Update;
};

template <typename Record, std::size_t N>
void WriteRecords(std::span<const Record> records, qint32 facilityId, SourcesDatabase& database,
                  const WriterForms<N>& forms, Statements statements) {
    QString facility;
    AppendNumber(facility, facilityId);
    StatementParts insert(forms.Insert);
    StatementParts update(forms.Update);
    for (const Record& record : records) {
        const RecordTexts<N> texts = TextsOf(record);
        SetInsert(insert, facility, texts);
        ExecuteForLine(database, insert, record.SourceLine);
        if (statements == Statements::InsertAndUpdate) {
            SetUpdate(update, facility, texts);
            ExecuteForLine(database, update, record.SourceLine);
        }
    }
}

} // namespace

void WriteSO2Concentrations(std::span<const SO2ConcRecord> records, qint32 facilityId,
                            SourcesDatabase& database) {
    // The "200" row is only ever created here; the later writers fill their columns into it.
    static const WriterForms forms(SO2ConcPieces);
    WriteRecords(records, facilityId, database, forms, Statements::InsertOnly);
}
void WriteNOxConcentrations(std::span<const NOxConcRecord> records, qint32 facilityId,
                            SourcesDatabase& database) {
    static const WriterForms forms(NOxConcPieces);
    WriteRecords(records, facilityId, database, forms, Statements::InsertAndUpdate);
}
void WriteCO2Concentrations(std::span<const CO2ConcRecord> records, qint32 facilityId,
                            SourcesDatabase& database) {
    static const WriterForms forms(CO2ConcPieces);
    WriteRecords(records, facilityId, database, forms, Statements::InsertAndUpdate);
}
void WriteVolumetricFlows(std::span<const FlowRecord> records, qint32 facilityId,
                          SourcesDatabase& database) {
    static const WriterForms forms(FlowPieces);
    WriteRecords(records, facilityId, database, forms, Statements::InsertAndUpdate);
}
void WriteSO2MassEmissions(std::span<const SO2MassRecord> records, qint32 facilityId,
                           SourcesDatabase& database) {
    static const WriterForms forms(SO2MassPieces);
    WriteRecords(records, facilityId, database, forms, Statements::InsertAndUpdate);
}
void WriteNOxEmissionRates(std::span<const NOxRateRecord> records, qint32 facilityId,
                           SourcesDatabase& database) {
    static const WriterForms forms(NOxRatePieces);
    WriteRecords(records, facilityId, database, forms, Statements::InsertAndUpdate);
}
void WriteCO2MassEmissions(std::span<const CO2MassRecord> records, qint32 facilityId,
                           SourcesDatabase& database) {
    static const WriterForms forms(CO2MassPieces);
    WriteRecords(records, facilityId, database, forms, Statements::InsertAndUpdate);
}

} // namespace tarnwick
