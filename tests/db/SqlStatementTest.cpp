#include "SqlStatement.h"
#include "TestDatabases.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

const QString EmissionsInsert = QStringLiteral(
    "INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, NOX_AVG_PPM_PER_HOUR, "
    "NOX_AVG_PPM_PER_HOUR_ADJ, NOX_PCT_MONITOR_DATA_AVAIL) VALUES (3456, '1     ', '03/15/01', "
    "'07    ', '45.2  ', '45.2  ', '100.0')");

const QString EmissionsUpdate = QStringLiteral(
    "UPDATE EMISSIONS SET NOX_PCT_DATA_AVAILABLE = '100.0', NOX_AVG_LB_PER_MMBTU = ' 0.450', "
    "NOX_AVG_LB_PER_MMBTU_ADJ = ' 0.452',NOX_OPERATING_LOAD_RANGE = '03'WHERE "
    "(((FACILITY_ID)=3456) AND ((UNIT_ID)='5A    ') AND ((DATA_DATE)=#03/15/01#) AND "
    "((DATA_HOUR)=07    ))");

QString ParseError(const QString& text) {
    return ErrorMessageOf([&] { ParseStatement(text); });
}

TEST(ParseStatement, InsertKeepsColumnsAndLiteralsInOrder) {
    const SqlStatement statement = ParseStatement(EmissionsInsert);
    EXPECT_EQ(statement.Kind, StatementKind::Insert);
    EXPECT_EQ(statement.Table, u"EMISSIONS");
    ASSERT_EQ(statement.Values.size(), 7u);
    EXPECT_EQ(statement.Values[0].Column, u"FACILITY_ID");
    EXPECT_EQ(statement.Values[0].Value.Kind, LiteralKind::Number);
    EXPECT_EQ(statement.Values[0].Value.Text, u"3456");
    EXPECT_EQ(statement.Values[1].Value.Kind, LiteralKind::Text);
    EXPECT_EQ(statement.Values[1].Value.Text, u"1     ");
    EXPECT_EQ(statement.Values[3].Column, u"DATA_HOUR");
    EXPECT_EQ(statement.Values[3].Value.Text, u"07    ");
    EXPECT_EQ(statement.Values[6].Column, u"NOX_PCT_MONITOR_DATA_AVAIL");
    EXPECT_EQ(statement.Values[6].Value.Text, u"100.0");
    EXPECT_TRUE(statement.Conditions.empty());
}

TEST(ParseStatement, UpdateWithoutBlanksBeforeWhereOrAfterComma) {
    const SqlStatement statement = ParseStatement(EmissionsUpdate);
    EXPECT_EQ(statement.Kind, StatementKind::Update);
    ASSERT_EQ(statement.Values.size(), 4u);
    EXPECT_EQ(statement.Values[2].Value.Text, u" 0.452");
    EXPECT_EQ(statement.Values[3].Column, u"NOX_OPERATING_LOAD_RANGE");
    EXPECT_EQ(statement.Values[3].Value.Text, u"03");
    ASSERT_EQ(statement.Conditions.size(), 4u);
    EXPECT_EQ(statement.Conditions[0].Column, u"FACILITY_ID");
    EXPECT_EQ(statement.Conditions[0].Value.Kind, LiteralKind::Number);
    EXPECT_EQ(statement.Conditions[1].Value.Text, u"5A    ");
    EXPECT_EQ(statement.Conditions[2].Value.Kind, LiteralKind::Date);
    EXPECT_EQ(statement.Conditions[2].Value.Date, QDate(2001, 3, 15));
    EXPECT_EQ(statement.Conditions[3].Column, u"DATA_HOUR");
    EXPECT_EQ(statement.Conditions[3].Value.Kind, LiteralKind::Number);
    EXPECT_EQ(statement.Conditions[3].Value.Text, u"07");
}

TEST(ParseStatement, WhereParenthesesMayWrapAnything) {
    const SqlStatement statement = ParseStatement(
        u"update T set A = 1 where ((B = (2))) and (((3)) = C) AND D='x' and ((E)=#1/2/03#)");
    ASSERT_EQ(statement.Conditions.size(), 4u);
    EXPECT_EQ(statement.Conditions[0].Column, u"B");
    EXPECT_EQ(statement.Conditions[0].Value.Text, u"2");
    EXPECT_EQ(statement.Conditions[1].Column, u"C");
    EXPECT_EQ(statement.Conditions[1].Value.Text, u"3");
    EXPECT_EQ(statement.Conditions[2].Value.Text, u"x");
    EXPECT_EQ(statement.Conditions[3].Value.Date, QDate(2003, 1, 2));
}

TEST(ParseStatement, CountQueriesOfTheProgram) {
    struct Case {
        const char16_t* Query;
        const char16_t* Alias;
        const char16_t* Table;
    };
    const Case cases[] = {
        {u"Select Count(*) as NbrFacilities From Facilities", u"NbrFacilities", u"Facilities"},
        {u"Select Count(*) as NbrUnits From Units", u"NbrUnits", u"Units"},
        {u"Select Count(*) as NbrFuels from Fuels", u"NbrFuels", u"Fuels"},
        {u"Select Count(*) as nbrQuarters from Quarters", u"nbrQuarters", u"Quarters"},
        {u"Select Count (*) as nbrEmissions from Emissions", u"nbrEmissions", u"Emissions"},
        {u"SELECT COUNT ( * ) AS n FROM t;", u"n", u"t"},
    };
    for (const Case& c : cases) {
        const SqlStatement statement = ParseStatement(QStringView(c.Query));
        EXPECT_EQ(statement.Kind, StatementKind::Count)
            << QStringView(c.Query).toString().toStdString();
        EXPECT_EQ(statement.CountAlias, QStringView(c.Alias));
        EXPECT_EQ(statement.Table, QStringView(c.Table));
    }
}

TEST(ParseStatement, LiteralForms) {
    const SqlStatement statement = ParseStatement(
        u"INSERT INTO t (a, b, c, d, e, f, g) VALUES ('O''BRIEN', '', -1.5e3, +2, .5, "
        u"# 3/ 5/1999 #, (('x')))");
    ASSERT_EQ(statement.Values.size(), 7u);
    EXPECT_TRUE(statement.Values[0].Value.HasDoubledQuotes);
    EXPECT_EQ(statement.Values[0].Value.TextValue(), u"O'BRIEN");
    EXPECT_EQ(statement.Values[1].Value.Kind, LiteralKind::Text);
    EXPECT_TRUE(statement.Values[1].Value.TextValue().isEmpty());
    EXPECT_EQ(statement.Values[2].Value.Text, u"-1.5e3");
    EXPECT_EQ(statement.Values[3].Value.Text, u"+2");
    EXPECT_EQ(statement.Values[4].Value.Kind, LiteralKind::Number);
    EXPECT_EQ(statement.Values[5].Value.Date, QDate(1999, 3, 5));
    EXPECT_EQ(statement.Values[6].Value.Text, u"x");
}

TEST(ParseStatement, DoubledQuotesNextToEachOtherAndAtTheEnds) {
    const SqlStatement statement =
        ParseStatement(u"INSERT INTO t (a, b) VALUES ('''a''''b''', 'it''s')");
    EXPECT_EQ(statement.Values[0].Value.TextValue(), u"'a''b'");
    EXPECT_EQ(statement.Values[1].Value.TextValue(), u"it's");
}

TEST(ParseStatement, ReusedStatementIsCleared) {
    SqlStatement statement;
    ParseStatement(EmissionsUpdate, statement);
    ParseStatement(u"Select Count(*) as n From t", statement);
    EXPECT_TRUE(statement.Values.empty());
    EXPECT_TRUE(statement.Conditions.empty());
    ParseStatement(u"insert into t (a) values (1)", statement);
    EXPECT_EQ(statement.Values.size(), 1u);
    EXPECT_TRUE(statement.CountAlias.isEmpty());
}

TEST(ParseStatement, BlankWhereAValueBelongsIsAnError) {
    const QString text = QStringLiteral(
        "UPDATE EMISSIONS SET NOX_AVG_PPM_PER_HOUR = '45.2  ' WHERE (((FACILITY_ID)=3456) AND "
        "((DATA_HOUR)=    ))");
    const QString message = ParseError(text);
    EXPECT_TRUE(message.contains(u"expected a column or a value")) << message.toStdString();
    EXPECT_TRUE(message.contains(u"UPDATE EMISSIONS SET")) << message.toStdString();
}

TEST(ParseStatement, FaultsAreNamed) {
    struct Case {
        const char16_t* Statement;
        const char16_t* Fault;
    };
    const Case cases[] = {
        {u"", u"not an INSERT, UPDATE or SELECT"},
        {u"DELETE FROM EMISSIONS", u"not an INSERT, UPDATE or SELECT"},
        {u"INSERT INTO t (a, b) VALUES (1)", u"2 columns but 1 values"},
        {u"INSERT INTO t (a) VALUES (1, 2)", u"1 columns but 2 values"},
        {u"INSERT INTO t (a) VALUES ('abc)", u"not closed by a quote"},
        {u"INSERT INTO t (a) VALUES (#1/2/03)", u"not closed by #"},
        {u"INSERT INTO t (a) VALUES (#13/45/01#)", u"bad date literal #13/45/01#"},
        {u"INSERT INTO t (a) VALUES (#  /  /    #)", u"bad date literal"},
        {u"INSERT INTO t (a) VALUES (abc)", u"expected a value but found \"abc\""},
        {u"INSERT INTO t (a) VALUES (- 5)", u"expected a value"},
        {u"INSERT INTO t (a) VALUES (1) extra", u"after the end of the statement"},
        {u"INSERT INTO t (1a) VALUES (1)", u"expected a column name"},
        {u"INSERT t (a) VALUES (1)", u"expected INTO"},
        {u"UPDATE t SET a = 1", u"expected WHERE"},
        {u"UPDATE t SET a = 1 WHERE", u"expected a column or a value but found the end"},
        {u"UPDATE t SET a = 1 WHERE ((b)=1", u"expected ')'"},
        {u"UPDATE t SET a = 1 WHERE (b)=1)", u"after the end of the statement"},
        {u"UPDATE t SET a = 1 WHERE b = c", u"expected a value to compare b with"},
        {u"UPDATE t SET a = 1 WHERE 1 = 2", u"compares two values"},
        {u"UPDATE t SET a = 1 WHERE b AND c = 1", u"AND joins comparisons"},
        {u"UPDATE t SET a = 1 WHERE (b = 1) = 2", u"'=' compares a column with a value"},
        {u"UPDATE t SET a = 1 WHERE (b)", u"compares nothing"},
        {u"UPDATE t SET a = 1 WHERE b = 1 OR c = 2", u"after the end of the statement"},
        {u"SELECT Count(a) AS n FROM t", u"expected '*'"},
        {u"SELECT Count(*) FROM t", u"expected AS"},
        {u"SELECT * FROM t", u"expected COUNT"},
    };
    for (const Case& c : cases) {
        const QString statement = QStringView(c.Statement).toString();
        const QString message = ParseError(statement);
        EXPECT_TRUE(message.contains(QStringView(c.Fault)))
            << statement.toStdString() << " -> " << message.toStdString();
    }
}

TEST(ParseStatement, DeepNestingFailsInsteadOfExhaustingTheStack) {
    const QString text = QStringLiteral("UPDATE t SET a = 1 WHERE ") + QString(100000, u'(');
    EXPECT_TRUE(ParseError(text).contains(u"too many nested parentheses"));
}

TEST(ParseStatement, MessageQuotesOnlyTheStartOfALongStatement) {
    const QString text = QStringLiteral("INSERT INTO t (a) VALUES (1, ") + QString(1000, u'2');
    const QString message = ParseError(text);
    EXPECT_TRUE(message.contains(u"INSERT INTO t (a) VALUES (1, 222"));
    EXPECT_TRUE(message.contains(u"..."));
    EXPECT_LT(message.size(), 400);
}

} // namespace
} // namespace tarnwick
