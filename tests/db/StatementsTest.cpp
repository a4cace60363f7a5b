#include "SourcesDatabase.h"
#include "TestDatabases.h"

#include <QDate>
#include <gtest/gtest.h>

namespace tarnwick {
namespace {

const QString NoxInsert = QStringLiteral(
    "INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, NOX_AVG_PPM_PER_HOUR, "
    "NOX_AVG_PPM_PER_HOUR_ADJ, NOX_PCT_MONITOR_DATA_AVAIL) VALUES (3456, '1     ', '03/15/01', "
    "'07    ', '45.2  ', '45.2  ', '100.0')");
const QString NoxUpdate = QStringLiteral(
    "UPDATE EMISSIONS SET NOX_AVG_PPM_PER_HOUR = '45.2  ', NOX_AVG_PPM_PER_HOUR_ADJ = '45.2  ', "
    "NOX_PCT_MONITOR_DATA_AVAIL = '100.0' WHERE (((FACILITY_ID)=3456) AND ((UNIT_ID)='1     ') "
    "AND ((DATA_DATE)=#03/15/01#) AND ((DATA_HOUR)=07    ))");
const QString RateInsert = QStringLiteral(
    "INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, NOX_PCT_DATA_AVAILABLE, "
    "NOX_AVG_LB_PER_MMBTU, NOX_AVG_LB_PER_MMBTU_ADJ, NOX_OPERATING_LOAD_RANGE) VALUES (3456, "
    "'5A    ', '03/15/01', '07    ', '100.0', ' 0.450', ' 0.452', '03')");
const QString RateUpdate = QStringLiteral(
    "UPDATE EMISSIONS SET NOX_PCT_DATA_AVAILABLE = '100.0', NOX_AVG_LB_PER_MMBTU = ' 0.450', "
    "NOX_AVG_LB_PER_MMBTU_ADJ = ' 0.452',NOX_OPERATING_LOAD_RANGE = '03'WHERE "
    "(((FACILITY_ID)=3456) AND ((UNIT_ID)='5A    ') AND ((DATA_DATE)=#03/15/01#) AND "
    "((DATA_HOUR)=07    ))");
const QString FuelInsert = QStringLiteral(
    "INSERT INTO FUELS (FACILITY_ID, UNIT_ID, FUEL_TYPE_COMBUSTED, FUEL_TYPE_START_DATE, "
    "FUEL_TYPE_END_DATE, STARTUP_FUEL) VALUES (3, '1', 'Pipeline Natural Gas', '01/01/1995', "
    "'  /  /    ', 'Y')");

struct CountQuery {
    QString Query;
    QString Field;
    QString Table;
};

const CountQuery CountQueries[] = {
    {QStringLiteral("Select Count(*) as NbrFacilities From Facilities"),
     QStringLiteral("NbrFacilities"), QStringLiteral("FACILITIES")},
    {QStringLiteral("Select Count(*) as NbrUnits From Units"), QStringLiteral("NbrUnits"),
     QStringLiteral("UNITS")},
    {QStringLiteral("Select Count(*) as NbrFuels from Fuels"), QStringLiteral("NbrFuels"),
     QStringLiteral("FUELS")},
    {QStringLiteral("Select Count(*) as nbrQuarters from Quarters"), QStringLiteral("NbrQuarters"),
     QStringLiteral("QUARTERS")},
    {QStringLiteral("Select Count (*) as nbrEmissions from Emissions"),
     QStringLiteral("NbrEmissions"), QStringLiteral("EMISSIONS")},
};

QString EmissionsInsert(int facility, const QString& unit, const QString& date, const QString& hour,
                        const QString& noxRate) {
    return QStringLiteral("INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, "
                          "NOX_AVG_PPM_PER_HOUR) VALUES (%1, '%2', '%3', '%4', '%5')")
        .arg(facility)
        .arg(unit, date, hour, noxRate);
}

class Statements : public BothEngines {
protected:
    void SetUp() override {
        BothEngines::SetUp();
        if (IsSkipped())
            return;
        Path = FreshDatabase();
        Database = SourcesDatabase::Open(Path);
    }

    void TearDown() override {
        if (Database)
            Database->Close();
        BothEngines::TearDown();
    }

    QList<QVariantList> Rows(const QString& sql) const { return QueryRows(Path, sql); }
    QVariant Value(const QString& sql) const { return QueryValue(Path, sql); }
    qint64 RowCount(const QString& table) const {
        return Value(QStringLiteral("SELECT COUNT(*) FROM ") + table).toLongLong();
    }

    QString ErrorOf(const QString& statement) {
        return ErrorMessageOf([&] { Database->Execute(statement); });
    }

    QString Path;
    std::unique_ptr<SourcesDatabase> Database;
};

TEST_P(Statements, NoxInsertStoresTypedValues) {
    Database->Execute(NoxInsert);
    const QList<QVariantList> rows =
        Rows("SELECT FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, NOX_AVG_PPM_PER_HOUR, "
             "NOX_AVG_PPM_PER_HOUR_ADJ, NOX_PCT_MONITOR_DATA_AVAIL, SO2_AVG_PPM_PER_HOUR "
             "FROM EMISSIONS");
    ASSERT_EQ(rows.size(), 1);
    const QVariantList& row = rows[0];
    EXPECT_EQ(row[0].toLongLong(), 3456);
    EXPECT_EQ(row[1].toString(), u"1");
    EXPECT_EQ(row[2].toString(), u"2001-03-15");
    EXPECT_EQ(row[3].toLongLong(), 7);
    EXPECT_DOUBLE_EQ(row[4].toDouble(), 45.2);
    EXPECT_DOUBLE_EQ(row[5].toDouble(), 45.2);
    EXPECT_DOUBLE_EQ(row[6].toDouble(), 100.0);
    EXPECT_TRUE(row[7].isNull());
}

TEST_P(Statements, NoxUpdateFindsTheRowByItsKey) {
    Database->Execute(EmissionsInsert(3456, "1     ", "03/15/01", "07", "1.0"));
    Database->Execute(EmissionsInsert(3456, "1     ", "03/15/01", "08", "2.0"));
    Database->Execute(NoxUpdate);
    const QList<QVariantList> rows =
        Rows("SELECT DATA_HOUR, NOX_AVG_PPM_PER_HOUR, NOX_AVG_PPM_PER_HOUR_ADJ, "
             "NOX_PCT_MONITOR_DATA_AVAIL FROM EMISSIONS ORDER BY DATA_HOUR");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_DOUBLE_EQ(rows[0][1].toDouble(), 45.2);
    EXPECT_DOUBLE_EQ(rows[0][2].toDouble(), 45.2);
    EXPECT_DOUBLE_EQ(rows[0][3].toDouble(), 100.0);
    EXPECT_DOUBLE_EQ(rows[1][1].toDouble(), 2.0); // another hour: untouched
    EXPECT_TRUE(rows[1][3].isNull());
}

TEST_P(Statements, InsertAndUpdateOfOneKeyMeetInOneRow) {
    Database->Execute(NoxInsert);
    Database->Execute(
        QString(RateUpdate).replace(QStringLiteral("'5A    '"), QStringLiteral("'1     '")));
    const QList<QVariantList> rows =
        Rows("SELECT NOX_AVG_PPM_PER_HOUR, NOX_AVG_LB_PER_MMBTU, NOX_OPERATING_LOAD_RANGE "
             "FROM EMISSIONS");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_DOUBLE_EQ(rows[0][0].toDouble(), 45.2);
    EXPECT_DOUBLE_EQ(rows[0][1].toDouble(), 0.45);
    EXPECT_EQ(rows[0][2].toLongLong(), 3);
}

TEST_P(Statements, RateInsertThenRateUpdate) {
    Database->Execute(RateInsert);
    Database->Execute(
        QString(RateUpdate).replace(QStringLiteral("' 0.450'"), QStringLiteral("' 0.500'")));
    const QList<QVariantList> rows =
        Rows("SELECT UNIT_ID, NOX_PCT_DATA_AVAILABLE, NOX_AVG_LB_PER_MMBTU, "
             "NOX_AVG_LB_PER_MMBTU_ADJ, NOX_OPERATING_LOAD_RANGE FROM EMISSIONS");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][0].toString(), u"5A");
    EXPECT_DOUBLE_EQ(rows[0][1].toDouble(), 100.0);
    EXPECT_DOUBLE_EQ(rows[0][2].toDouble(), 0.5);
    EXPECT_DOUBLE_EQ(rows[0][3].toDouble(), 0.452);
    EXPECT_EQ(rows[0][4].toLongLong(), 3);
    Database->Execute(RateUpdate);
    EXPECT_DOUBLE_EQ(Value("SELECT NOX_AVG_LB_PER_MMBTU FROM EMISSIONS").toDouble(), 0.45);
}

TEST_P(Statements, FuelWithBlankEndDate) {
    Database->Execute(FuelInsert);
    const QList<QVariantList> rows =
        Rows("SELECT FACILITY_ID, UNIT_ID, FUEL_TYPE_COMBUSTED, FUEL_TYPE_START_DATE, "
             "FUEL_TYPE_END_DATE, STARTUP_FUEL FROM FUELS");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][0].toLongLong(), 3);
    EXPECT_EQ(rows[0][1].toString(), u"1");
    EXPECT_EQ(rows[0][2].toString(), u"Pipeline Natural Gas");
    EXPECT_EQ(rows[0][3].toString(), u"1995-01-01");
    EXPECT_TRUE(rows[0][4].isNull());
    EXPECT_EQ(rows[0][5].toString(), u"Y");
}

TEST_P(Statements, KeyViolationIsSkippedAndKeepsTheFirstRow) {
    Database->Execute(EmissionsInsert(1, "A", "03/15/01", "07", "1.5"));
    EXPECT_NO_THROW(Database->Execute(EmissionsInsert(1, "A  ", "3/15/2001", " 7", "9.5")));
    EXPECT_EQ(RowCount("EMISSIONS"), 1);
    EXPECT_DOUBLE_EQ(Value("SELECT NOX_AVG_PPM_PER_HOUR FROM EMISSIONS").toDouble(), 1.5);
    Database->Execute(FuelInsert);
    EXPECT_NO_THROW(Database->Execute(FuelInsert));
    EXPECT_EQ(RowCount("FUELS"), 1);
}

TEST_P(Statements, InsertLeavingAKeyColumnNullIsSkipped) {
    EXPECT_NO_THROW(Database->Execute(EmissionsInsert(1, "A", "03/15/01", "    ", "1.5")));
    EXPECT_NO_THROW(Database->Execute(EmissionsInsert(1, "A", "  /  /  ", "07", "1.5")));
    EXPECT_NO_THROW(Database->Execute(
        "INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE) VALUES (1, 'A', '03/15/01')"));
    EXPECT_EQ(RowCount("EMISSIONS"), 0);
}

TEST_P(Statements, ReportWithoutADateIsUniqueTooAndTheFirstStays) {
    const QString insert = QStringLiteral("INSERT INTO QUARTERS (FACILITY_ID, UNIT_ID, "
                                          "DATE_OF_REPORT, SO2_TONS_QTRLY) VALUES (1, 'A', '%1', "
                                          "'%2')");
    Database->Execute(insert.arg("  /  /    ", "1.0"));
    Database->Execute(insert.arg("  /  /    ", "2.0"));
    Database->Execute(insert.arg("04/30/01", "3.0"));
    Database->Execute(insert.arg("04/30/01", "4.0"));
    EXPECT_EQ(RowCount("QUARTERS"), 2);
    EXPECT_DOUBLE_EQ(
        Value("SELECT SO2_TONS_QTRLY FROM QUARTERS WHERE DATE_OF_REPORT IS NULL").toDouble(), 1.0);
}

TEST_P(Statements, NullInANotNullColumnOutsideTheKeyIsAnError) {
    const QString message =
        ErrorOf("INSERT INTO QUARTERS (FACILITY_ID, UNIT_ID, DATE_OF_REPORT) VALUES ('  ', 'A', "
                "'04/30/01')");
    EXPECT_TRUE(message.contains(u"INSERT INTO QUARTERS")) << message.toStdString();
    EXPECT_EQ(RowCount("QUARTERS"), 0);
}

TEST_P(Statements, BlankNumbersAndDatesAreNullButBlankTextIsNot) {
    Database->Execute(
        "INSERT INTO UNITS (FACILITY_ID, UNIT_ID, UNIT_TYPE, MAX_HOURLY_MMBTU_HEAT_INPUT, "
        "FIRST_COMMERCIAL_OPERATION, EIA_REPORTING_YEAR, EIA_BOILER_ID, EIA_FLUE_ID, "
        "LOAD_UNITS) VALUES (7, 'CS001 ', '', '      ', '  /  /    ', '    ', '  B1  ', '   ', "
        "'MW')");
    const QList<QVariantList> rows =
        Rows("SELECT UNIT_ID, UNIT_TYPE, MAX_HOURLY_MMBTU_HEAT_INPUT, FIRST_COMMERCIAL_OPERATION, "
             "EIA_REPORTING_YEAR, EIA_BOILER_ID, EIA_FLUE_ID, LOAD_UNITS FROM UNITS");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][0].toString(), u"CS001");
    EXPECT_FALSE(rows[0][1].isNull());
    EXPECT_EQ(rows[0][1].toString(), u"");
    EXPECT_TRUE(rows[0][2].isNull());
    EXPECT_TRUE(rows[0][3].isNull());
    EXPECT_TRUE(rows[0][4].isNull());
    EXPECT_EQ(rows[0][5].toString(), u"  B1");
    EXPECT_FALSE(rows[0][6].isNull());
    EXPECT_EQ(rows[0][6].toString(), u"");
    EXPECT_EQ(rows[0][7].toString(), u"MW");
}

TEST_P(Statements, TwoDigitYearsPivotAtThirty) {
    Database->Execute(EmissionsInsert(1, "A", "01/01/29", "1", "1"));
    Database->Execute(EmissionsInsert(1, "A", "12/31/30", "1", "1"));
    Database->Execute(EmissionsInsert(1, "A", " 2/ 9/00", "1", "1"));
    const QList<QVariantList> rows = Rows("SELECT DATA_DATE FROM EMISSIONS ORDER BY DATA_DATE");
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0][0].toString(), u"1930-12-31");
    EXPECT_EQ(rows[1][0].toString(), u"2000-02-09");
    EXPECT_EQ(rows[2][0].toString(), u"2029-01-01");
}

TEST_P(Statements, HashDateMatchesAQuotedDate) {
    Database->Execute(EmissionsInsert(1, "A", "03/15/01", "1", "1"));
    Database->Execute(
        "UPDATE EMISSIONS SET SO2_MASS_LB_HOUR = '12.5' WHERE ((DATA_DATE)=#3/15/2001#)"
        " AND ((UNIT_ID)='A')");
    Database->Execute("UPDATE EMISSIONS SET CO2_MASS_TON_HOUR = '2' WHERE (DATA_DATE)='3/15/01 '");
    Database->Execute(
        "UPDATE EMISSIONS SET CO2_MASS_TON_HOUR_TOTAL = '3' WHERE DATA_DATE=#3/16/01#");
    const QList<QVariantList> rows =
        Rows("SELECT SO2_MASS_LB_HOUR, CO2_MASS_TON_HOUR, CO2_MASS_TON_HOUR_TOTAL FROM EMISSIONS");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_DOUBLE_EQ(rows[0][0].toDouble(), 12.5);
    EXPECT_DOUBLE_EQ(rows[0][1].toDouble(), 2.0);
    EXPECT_TRUE(rows[0][2].isNull());
}

TEST_P(Statements, WhereLiteralsConvertByTheColumnType) {
    Database->Execute(EmissionsInsert(12, "B", "03/15/01", "7", "1"));
    // A quoted number for an integer column, a bare number for a text column.
    Database->Execute("UPDATE EMISSIONS SET SO2_MASS_LB_HOUR = 4 WHERE FACILITY_ID = ' 12 ' AND "
                      "UNIT_ID = 'B  ' AND DATA_HOUR = 7.0");
    EXPECT_DOUBLE_EQ(Value("SELECT SO2_MASS_LB_HOUR FROM EMISSIONS").toDouble(), 4.0);
    Database->Execute(EmissionsInsert(12, "9", "03/15/01", "7", "1"));
    Database->Execute("UPDATE EMISSIONS SET SO2_MASS_LB_HOUR = 5 WHERE UNIT_ID = 9");
    EXPECT_DOUBLE_EQ(Value("SELECT SO2_MASS_LB_HOUR FROM EMISSIONS WHERE UNIT_ID = '9'").toDouble(),
                     5.0);
}

TEST_P(Statements, IntegersRoundHalfToEven) {
    Database->Execute(EmissionsInsert(1, "A", "03/15/01", "2.5", "1"));
    Database->Execute(EmissionsInsert(1, "A", "03/15/01", "3.5", "1"));
    const QList<QVariantList> rows = Rows("SELECT DATA_HOUR FROM EMISSIONS ORDER BY DATA_HOUR");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0][0].toLongLong(), 2);
    EXPECT_EQ(rows[1][0].toLongLong(), 4);
}

TEST_P(Statements, DoubledQuoteIsStoredOnce) {
    Database->Execute("INSERT INTO FACILITIES (Facility_ID, Calendar_Quarter, Calendar_Year, "
                      "Plant_Name, Latitude, Longitude) VALUES (3, 1, 2001, 'O''BRIEN', "
                      "'40.1234', '-75.5')");
    const QList<QVariantList> rows = Rows("SELECT Plant_Name, Latitude, Longitude FROM FACILITIES");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][0].toString(), u"O'BRIEN");
    EXPECT_DOUBLE_EQ(rows[0][1].toDouble(), 40.1234);
    EXPECT_DOUBLE_EQ(rows[0][2].toDouble(), -75.5);
}

TEST_P(Statements, NamesMatchInAnyCase) {
    Database->Execute("insert into emissions (facility_id, Unit_Id, data_date, DATA_hour) "
                      "values (1, 'A', '03/15/01', 1)");
    Database->Execute("Update Emissions Set nox_avg_ppm_per_hour = '3' Where unit_id = 'A'");
    EXPECT_DOUBLE_EQ(Value("SELECT NOX_AVG_PPM_PER_HOUR FROM EMISSIONS").toDouble(), 3.0);
}

TEST_P(Statements, UnknownNamesAndMalformedStatementsAreErrors) {
    const QString column = ErrorOf("INSERT INTO EMISSIONS (FACILITY_ID, NO_SUCH_COLUMN) VALUES "
                                   "(1, '2')");
    EXPECT_TRUE(column.contains(u"NO_SUCH_COLUMN")) << column.toStdString();
    EXPECT_TRUE(column.contains(u"INSERT INTO EMISSIONS")) << column.toStdString();
    const QString table = ErrorOf("INSERT INTO EMISSION (FACILITY_ID) VALUES (1)");
    EXPECT_TRUE(table.contains(u"no table EMISSION")) << table.toStdString();
    const QString whereColumn = ErrorOf("UPDATE UNITS SET UNIT_TYPE = 'x' WHERE ((NOPE)=1)");
    EXPECT_TRUE(whereColumn.contains(u"NOPE")) << whereColumn.toStdString();
    const QString twice = ErrorOf("UPDATE UNITS SET UNIT_TYPE = 'x', unit_type = 'y' WHERE "
                                  "FACILITY_ID = 1");
    EXPECT_TRUE(twice.contains(u"twice")) << twice.toStdString();
    const QString malformed = ErrorOf("UPDATE EMISSIONS SET NOX_AVG_PPM_PER_HOUR = '1' WHERE "
                                      "((DATA_HOUR)=    ))");
    EXPECT_TRUE(malformed.contains(u"UPDATE EMISSIONS")) << malformed.toStdString();
    const QString badDate = ErrorOf("UPDATE EMISSIONS SET NOX_AVG_PPM_PER_HOUR = '1' WHERE "
                                    "((DATA_DATE)=#02/30/01#)");
    EXPECT_TRUE(badDate.contains(u"bad date literal")) << badDate.toStdString();
    const QString range = ErrorOf(EmissionsInsert(1, "A", "03/15/01", "99999999999", "1"));
    EXPECT_TRUE(range.contains(u"out of range")) << range.toStdString();
    EXPECT_TRUE(ErrorOf(CountQueries[0].Query).contains(u"ReadField"));
    EXPECT_EQ(RowCount("EMISSIONS"), 0);
}

TEST_P(Statements, CountsOfEmptyAndFilledTables) {
    for (const CountQuery& count : CountQueries) {
        const QVariant value = Database->ReadField(count.Query, count.Field);
        EXPECT_EQ(value.metaType(), QMetaType::fromType<qint64>());
        EXPECT_EQ(value.toLongLong(), 0) << count.Query.toStdString();
    }
    Database->BeginGroup();
    for (int hour = 0; hour < 1200; ++hour)
        Database->Execute(EmissionsInsert(1, "A", "03/15/01", QString::number(hour), "1"));
    Database->Execute(FuelInsert);
    Database->EndGroup();
    EXPECT_EQ(Database->ReadField(CountQueries[4].Query, CountQueries[4].Field).toLongLong(), 1200);
    EXPECT_EQ(Database->ReadField(CountQueries[2].Query, "nbrfuels").toLongLong(), 1);
    EXPECT_EQ(Database->ReadField(CountQueries[0].Query, CountQueries[0].Field).toLongLong(), 0);
}

TEST_P(Statements, ReadFieldNeedsTheQueryAliasAndACountQuery) {
    const QString message =
        ErrorMessageOf([&] { Database->ReadField(CountQueries[1].Query, "NbrFacilities"); });
    EXPECT_TRUE(message.contains(u"no field NbrFacilities")) << message.toStdString();
    EXPECT_THROW(Database->ReadField(NoxInsert, "NbrEmissions"), Error);
    EXPECT_THROW(Database->ReadField("Select Count(*) as n From Nowhere", "n"), Error);
}

// Prepared statements are reused across rows; nothing of one row may leak into the next.

TEST_P(Statements, LookAlikeColumnsKeepTheirOwnStatements) {
    Database->Execute(EmissionsInsert(1, "A", "03/15/01", "7", "1"));
    const QString update = QStringLiteral("UPDATE EMISSIONS SET %1 = '%2' WHERE ((DATA_HOUR)=7)");
    Database->Execute(update.arg("NOX_AVG_PPM_PER_HOUR_ADJ", "1.5"));
    Database->Execute(update.arg("NOX_AVG_LB_PER_MMBTU_ADJ", "2.5"));
    Database->Execute(update.arg("NOX_AVG_PPM_PER_HOUR_ADJ", "3.5"));
    const QList<QVariantList> rows =
        Rows("SELECT NOX_AVG_PPM_PER_HOUR_ADJ, NOX_AVG_LB_PER_MMBTU_ADJ FROM EMISSIONS");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_DOUBLE_EQ(rows[0][0].toDouble(), 3.5);
    EXPECT_DOUBLE_EQ(rows[0][1].toDouble(), 2.5);
}

TEST_P(Statements, TextsOfEveryLengthAndScriptOnOneStatement) {
    const QString insert = QStringLiteral(
        "INSERT INTO FACILITIES (Facility_ID, Calendar_Quarter, Calendar_Year, Plant_Name) "
        "VALUES (%1, 1, 2001, '%2')");
    const QStringList names = {QStringLiteral("A LONG PLANT NAME THAT NO SHORT BUFFER HOLDS      "),
                               QStringLiteral("B"),
                               QStringLiteral("Zürich Kraftwerk Ø"),
                               QStringLiteral("O''NEIL''S  "),
                               QStringLiteral(""),
                               QStringLiteral("日本語のプラント")};
    for (int i = 0; i < names.size(); ++i)
        Database->Execute(insert.arg(i).arg(names[i]));
    const QList<QVariantList> rows = Rows("SELECT Plant_Name FROM FACILITIES ORDER BY Facility_ID");
    ASSERT_EQ(rows.size(), names.size());
    EXPECT_EQ(rows[0][0].toString(), u"A LONG PLANT NAME THAT NO SHORT BUFFER HOLDS");
    EXPECT_EQ(rows[1][0].toString(), u"B");
    EXPECT_EQ(rows[2][0].toString(), u"Zürich Kraftwerk Ø");
    EXPECT_EQ(rows[3][0].toString(), u"O'NEIL'S");
    EXPECT_FALSE(rows[4][0].isNull());
    EXPECT_EQ(rows[4][0].toString(), u"");
    EXPECT_EQ(rows[5][0].toString(), u"日本語のプラント");
}

TEST_P(Statements, RowAfterASkippedRowIsStoredWhole) {
    Database->Execute(EmissionsInsert(1, "LONG UNIT NAME 1", "03/15/01", "1", "1.5"));
    Database->Execute(EmissionsInsert(2, "SKIPPED", "  /  /  ", "2", "2.5"));
    Database->Execute(EmissionsInsert(3, "C", "12/31/99", "3", "    "));
    const QList<QVariantList> rows =
        Rows("SELECT FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, NOX_AVG_PPM_PER_HOUR "
             "FROM EMISSIONS ORDER BY FACILITY_ID");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0][1].toString(), u"LONG UNIT NAME 1");
    EXPECT_EQ(rows[1][0].toLongLong(), 3);
    EXPECT_EQ(rows[1][1].toString(), u"C");
    EXPECT_EQ(rows[1][2].toString(), u"1999-12-31");
    EXPECT_EQ(rows[1][3].toLongLong(), 3);
    EXPECT_TRUE(rows[1][4].isNull());
}

TEST_P(Statements, FourDigitYearsBeforeOneThousandKeepTheirZeros) {
    Database->Execute(FuelInsert);
    Database->Execute("UPDATE FUELS SET FUEL_TYPE_START_DATE = '1/2/0999', "
                      "FUEL_TYPE_END_DATE = '12/31/9999' WHERE FACILITY_ID = 3");
    const QList<QVariantList> rows =
        Rows("SELECT FUEL_TYPE_START_DATE, FUEL_TYPE_END_DATE FROM FUELS WHERE FACILITY_ID = 3");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][0].toDate(), QDate(999, 1, 2));
    EXPECT_EQ(rows[0][1].toDate(), QDate(9999, 12, 31));
}

TEST_P(Statements, RefusedRowIsExplainedAndTheStatementRunsAgainAfterwards) {
    const QString refused = ErrorOf("INSERT INTO QUARTERS (FACILITY_ID, UNIT_ID, DATE_OF_REPORT) "
                                    "VALUES ('  ', 'A', '04/30/01')");
    EXPECT_TRUE(refused.contains(u"FACILITY_ID", Qt::CaseInsensitive)) << refused.toStdString();
    EXPECT_TRUE(refused.contains(u"breaks a rule of the table")) << refused.toStdString();
    Database->Execute("INSERT INTO QUARTERS (FACILITY_ID, UNIT_ID, DATE_OF_REPORT) VALUES (5, "
                      "'A', '04/30/01')");
    EXPECT_EQ(Value("SELECT DATE_OF_REPORT FROM QUARTERS WHERE FACILITY_ID = 5").toDate(),
              QDate(2001, 4, 30));
}

TARNWICK_INSTANTIATE_BOTH_ENGINES(Statements);

} // namespace
} // namespace tarnwick
