#include "db/Error.h"
#include "tests/support/ViewCorpus.h"
#include "view/CsvExport.h"
#include "view/HourlySeries.h"
#include "view/SourcesReader.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

class ViewEnginesTest : public BothEngines {
protected:
    void SetUp() override {
        BothEngines::SetUp();
        if (IsSkipped())
            return;
        Database = FreshDatabase();
        FillViewCorpus(Database);
    }

    QString Export(const QString& table, const ExportFilter& filter,
                   const QStringList& columns = {}) {
        SourcesReader reader(Database);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        ExportCsv(reader, ReadExportRequest(table, filter, columns), out);
        return QString::fromUtf8(out.data());
    }

    QString Database;
};

TEST_P(ViewEnginesTest, ExportQuotesKeepsTextAndOrdersByKey) {
    EXPECT_EQ(Export("facilities", {}),
              "Facility_ID,Calendar_Quarter,Calendar_Year,Plant_Name,Epa_Facility_ID,"
              "Epa_Airs_Facility_System,State_Facility_ID,State_Postal_Abbreviation,"
              "County_Code_Fips,Latitude,Longitude\r\n"
              "1,1,2001,\"PE\u00d1A, \"\"EL\"\"\r\nNORTE\",,,,IN,,38.0475,\r\n"
              "2,4,2000,\u0160KODA \u00c6R\u00d8,,,,OH,,,\r\n"
              "2,1,2001,,,,,,,,\r\n");

    const QStringList columns{"FACILITY_ID", "unit_id", "DATA_DATE", "DATA_HOUR",
                              "SO2_MASS_LB_HOUR"};
    const QString header = "FACILITY_ID,UNIT_ID,DATA_DATE,DATA_HOUR,SO2_MASS_LB_HOUR\r\n";
    const struct {
        ExportFilter Filter;
        QString Rows;
    } cases[] = {
        // Units in code point order, NULL as an empty field, numbers as stored.
        {{1, std::nullopt, QDate(2001, 4, 1), QDate(2001, 4, 1)},
         "1,1,2001-04-01,0,3\r\n1,1,2001-04-01,2,\r\n1,1,2001-04-01,3,1590000\r\n"
         "1,1,2001-04-01,5,0.1\r\n1,1,2001-04-01,6,0.2\r\n"
         "1,B,2001-04-01,0,8\r\n1,a,2001-04-01,0,9\r\n1,b,2001-04-01,0,7\r\n"},
        {{1, "1", std::nullopt, QDate(2001, 3, 31)},
         "1,1,2001-03-31,22,1.5\r\n1,1,2001-03-31,23,2.25\r\n"},
        {{std::nullopt, std::nullopt, QDate(2001, 4, 2), std::nullopt}, "2,1,2001-04-02,0,1\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Export("EMISSIONS", c.Filter, columns), header + c.Rows);

    // The one key column that may be NULL comes first.
    EXPECT_TRUE(Export("QUARTERS", {}, {"DATE_OF_REPORT"})
                    .startsWith("DATE_OF_REPORT\r\n\r\n2001-04-20\r\n"));
    // A facility or unit the table does not hold is refused.
    EXPECT_THROW(Export("UNITS", {7, std::nullopt, {}, {}}), Error);
    EXPECT_THROW(Export("EMISSIONS", {2, "b", {}, {}}), Error);
}

TEST_P(ViewEnginesTest, ChartRunsBreakAtMissingHoursAndNullValues) {
    SourcesReader reader(Database);
    QStringList facilities;
    for (const ChartFacility& facility : ReadChartFacilities(reader))
        facilities << QString::number(facility.Id) + u'|' + facility.PlantName + u'|' +
                          facility.Units.join(u',');
    EXPECT_EQ(facilities, QStringList({"1|" + LatinPlant + "|1,B,a,b", "2|" + Utf8Plant + "|1"}));

    const QDate march(2001, 3, 31);
    const QDate april(2001, 4, 1);
    EXPECT_EQ(ReadUnitDays(reader, 1, "1"), std::pair(march, april));
    EXPECT_THROW(ReadUnitDays(reader, 1, "Z"), Error);
    const QList<HourlyRun> expected{
        {{{march, 22}, 1.5}, {{march, 23}, 2.25}, {{april, 0}, 3}},
        {{{april, 3}, 1590000}},
        {{{april, 5}, 0.1}, {{april, 6}, 0.2}},
    };
    EXPECT_EQ(ReadHourlyRuns(reader, {1, "1", FindMeasure(u"SO2_MASS_LB_HOUR"), march, april}),
              expected);
    EXPECT_TRUE(ReadHourlyRuns(reader, {1, "1", FindMeasure(u"CO2_MASS_TON_HOUR"), march, april})
                    .isEmpty());
}

TEST_P(ViewEnginesTest, SummaryCountsHoursGapsAndReportedOperatingHours) {
    SourcesReader reader(Database);
    QStringList rows;
    for (const UnitSummary& unit : ReadDataSummary(reader))
        rows << SummaryFields(unit).join(u'|');
    // Facility, plant, state, unit, first and last hour, hours loaded and missing, operating
    // hours, rows in UNITS, FUELS and QUARTERS. The reports made in Q2 and Q3 cover Q1 and Q2;
    // the one made in Q4 and the undated one do not count. Facility 2's later, unnamed quarter
    // hides nothing.
    const QString one = "1|" + LatinPlant + "|IN|";
    EXPECT_EQ(rows, QStringList({
                        one + "1|2001-03-31 22:00|2001-04-01 06:00|7|2|150|yes|no|yes",
                        one + "B|2001-04-01 00:00|2001-04-01 00:00|1|0||no|no|no",
                        one + "a|2001-04-01 00:00|2001-04-01 00:00|1|0||no|no|no",
                        one + "b|2001-04-01 00:00|2001-04-01 00:00|1|0||no|no|no",
                        "2|" + Utf8Plant + "|OH|1|2001-04-02 00:00|2001-04-02 00:00|1|0||no|yes|no",
                        "2|" + Utf8Plant + "|OH|9|||0|0||no|no|yes",
                    }));
}

TARNWICK_INSTANTIATE_BOTH_ENGINES(ViewEnginesTest);

TEST(ViewRequestTest, RefusesUnknownNamesAndFiltersATableCannotTake) {
    const struct {
        QString Table;
        ExportFilter Filter;
        QStringList Columns;
    } refused[] = {
        {"EMISSION", {}, {}},
        {"EMISSIONS", {}, {"SO2_MASS"}},
        {"FACILITIES", {1, "1", {}, {}}, {}},
        {"FUELS", {1, std::nullopt, QDate(2001, 1, 1), {}}, {}},
        {"EMISSIONS", {1, std::nullopt, QDate(2001, 2, 1), QDate(2001, 1, 31)}, {}},
    };
    for (const auto& c : refused)
        EXPECT_THROW(ReadExportRequest(c.Table, c.Filter, c.Columns), Error)
            << c.Table.toStdString();
}

TEST(ViewRequestTest, ValuesReadBackAsTheSameNumber) {
    const std::pair<QVariant, QString> cases[] = {
        {QVariant(0.1 + 0.2), "0.30000000000000004"},
        {QVariant(5420036.0), "5420036"},
        {QVariant(1e-7), "1e-07"},
        {QVariant(qlonglong(-3)), "-3"},
        {QVariant(QDate(2001, 7, 1)), "2001-07-01"},
        {QVariant(QMetaType::fromType<double>()), ""},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(ValueText(value), text);
}

} // namespace
} // namespace tarnwick::test
