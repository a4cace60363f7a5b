#include "CsvExport.h"
#include "Error.h"
#include "HourlySeries.h"
#include "SourcesReader.h"
#include "ViewCorpus.h"

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
}

TEST_P(ViewEnginesTest, ExportRefusesAFacilityOrUnitTheTableDoesNotHold) {
    EXPECT_THROW(Export("UNITS", {7, std::nullopt, {}, {}}), Error);
    EXPECT_THROW(Export("EMISSIONS", {2, "b", {}, {}}), Error);
}

TEST_P(ViewEnginesTest, ChartRunsBreakAtMissingHoursAndNullValues) {
    SourcesReader reader(Database);
    const QList<ChartFacility> facilities = ReadChartFacilities(reader);
    ASSERT_EQ(facilities.size(), 2);
    EXPECT_EQ(facilities[0].Id, 1);
    EXPECT_EQ(facilities[0].PlantName, LatinPlant);
    EXPECT_EQ(facilities[0].Units, (QStringList{"1", "B", "a", "b"}));
    EXPECT_EQ(facilities[1].PlantName, Utf8Plant);

    const auto days = ReadUnitDays(reader, 1, "1");
    EXPECT_EQ(days.first, QDate(2001, 3, 31));
    EXPECT_EQ(days.second, QDate(2001, 4, 1));
    EXPECT_THROW(ReadUnitDays(reader, 1, "Z"), Error);

    const QDate march(2001, 3, 31);
    const QDate april(2001, 4, 1);
    const QList<HourlyRun> runs =
        ReadHourlyRuns(reader, {1, "1", FindMeasure(u"SO2_MASS_LB_HOUR"), march, april});
    const QList<HourlyRun> expected{
        {{{march, 22}, 1.5}, {{march, 23}, 2.25}, {{april, 0}, 3}},
        {{{april, 3}, 1590000}},
        {{{april, 5}, 0.1}, {{april, 6}, 0.2}},
    };
    EXPECT_EQ(runs, expected);
    EXPECT_TRUE(ReadHourlyRuns(reader, {1, "1", FindMeasure(u"CO2_MASS_TON_HOUR"), march, april})
                    .isEmpty());
}

TEST_P(ViewEnginesTest, SummaryCountsHoursGapsAndReportedOperatingHours) {
    SourcesReader reader(Database);
    const QList<UnitSummary> units = ReadDataSummary(reader);
    ASSERT_EQ(units.size(), 5);
    const UnitSummary& first = units[0];
    EXPECT_EQ(first.UnitId, "1");
    EXPECT_EQ(first.Facility.Name, LatinPlant);
    EXPECT_EQ(first.First->Text(), "2001-03-31 22:00");
    EXPECT_EQ(first.Last->Text(), "2001-04-01 06:00");
    EXPECT_EQ(first.HoursLoaded, 7);
    EXPECT_EQ(first.MissingHours, 2);
    // The reports made in Q2 and Q3 cover Q1 and Q2; the one made in Q4 and the undated one
    // do not count.
    EXPECT_EQ(first.OperatingHours, 150.0);
    EXPECT_TRUE(first.HasUnitRow && first.HasQuarterRow && !first.HasFuelRow);

    const UnitSummary& second = units[4];
    EXPECT_EQ(second.FacilityId, 2);
    EXPECT_EQ(second.Facility.Name, Utf8Plant); // the later, unnamed quarter hides nothing
    EXPECT_EQ(second.Facility.State, "OH");
    EXPECT_EQ(second.HoursLoaded, 1);
    EXPECT_EQ(second.MissingHours, 0);
    EXPECT_FALSE(second.OperatingHours);
    EXPECT_TRUE(second.HasFuelRow && !second.HasUnitRow && !second.HasQuarterRow);
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
