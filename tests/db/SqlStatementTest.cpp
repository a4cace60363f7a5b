#include "db/SqlStatement.h"
#include "db/StatementShape.h"
#include "tests/support/DatTestFiles.h"
#include "tests/support/TestDatabases.h"

#include <gtest/gtest.h>
#include <memory>

namespace tarnwick {
namespace {

using namespace Qt::StringLiterals;

// A parse as one line: the kind and the table (a count's alias before it), then column=literal
// with texts quoted as their value, numbers as written and dates as #yyyy-MM-dd#.
QString Shown(const SqlStatement& statement) {
    QString shown = statement.Kind == StatementKind::Insert   ? u"INSERT "_s
                    : statement.Kind == StatementKind::Update ? u"UPDATE "_s
                                                              : u"COUNT AS "_s;
    if (!statement.CountAlias.isEmpty())
        shown += statement.CountAlias.toString() + u' ';
    shown += statement.Table.toString();
    const auto add = [&](const std::vector<ColumnLiteral>& literals) {
        for (const ColumnLiteral& c : literals) {
            const SqlLiteral& v = c.Value;
            shown += u' ' + c.Column.toString() + u'=' +
                     (v.Kind == LiteralKind::Text   ? u'\'' + v.TextValue() + u'\''
                      : v.Kind == LiteralKind::Date ? u'#' + v.Date.toString(Qt::ISODate) + u'#'
                                                    : v.Text.toString());
        }
    };
    add(statement.Values);
    if (!statement.Conditions.empty())
        shown += u" WHERE"_s;
    add(statement.Conditions);
    return shown;
}

QString ParseError(const QString& text) {
    return ErrorMessageOf([&] { ParseStatement(text); });
}

TEST(ParseStatement, ColumnsAndLiteralsOfEveryForm) {
    const struct {
        const char16_t* Statement;
        const char16_t* Parse;
    } cases[] = {
        {u"INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_HOUR) VALUES (3456, '1     ', '07  ')",
         u"INSERT EMISSIONS FACILITY_ID=3456 UNIT_ID='1     ' DATA_HOUR='07  '"},
        // No blank after the last comma nor before WHERE, a blank-padded number in WHERE.
        {u"UPDATE EMISSIONS SET NOX_AVG_LB_PER_MMBTU_ADJ = ' 0.452',NOX_OPERATING_LOAD_RANGE = "
         u"'03'WHERE (((FACILITY_ID)=3456) AND ((UNIT_ID)='5A    ') AND "
         u"((DATA_DATE)=#03/15/01#) AND ((DATA_HOUR)=07    ))",
         u"UPDATE EMISSIONS NOX_AVG_LB_PER_MMBTU_ADJ=' 0.452' NOX_OPERATING_LOAD_RANGE='03' "
         u"WHERE FACILITY_ID=3456 UNIT_ID='5A    ' DATA_DATE=#2001-03-15# DATA_HOUR=07"},
        {u"update T set A = 1 where ((B = (2))) and (((3)) = C) AND D='x' and ((E)=#1/2/03#)",
         u"UPDATE T A=1 WHERE B=2 C=3 D='x' E=#2003-01-02#"},
        {u"INSERT INTO t (a, b, c, d, e, f, g) VALUES ('O''BRIEN', '', -1.5e3, +2, .5, "
         u"# 3/ 5/1999 #, (('x')))",
         u"INSERT t a='O'BRIEN' b='' c=-1.5e3 d=+2 e=.5 f=#1999-03-05# g='x'"},
        {u"INSERT INTO t (a, b) VALUES ('''a''''b''', 'it''s')", u"INSERT t a=''a''b'' b='it's'"},
        {u"Select Count(*) as NbrFacilities From Facilities", u"COUNT AS NbrFacilities Facilities"},
        {u"Select Count (*) as nbrEmissions from Emissions", u"COUNT AS nbrEmissions Emissions"},
        {u"SELECT COUNT ( * ) AS n FROM t;", u"COUNT AS n t"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Shown(ParseStatement(c.Statement)), QStringView(c.Parse));
}

TEST(ParseStatement, ReusedStatementIsCleared) {
    SqlStatement statement;
    ParseStatement(u"UPDATE t SET a = 1 WHERE b = 2", statement);
    ParseStatement(u"Select Count(*) as n From t", statement);
    EXPECT_EQ(Shown(statement), u"COUNT AS n t");
    ParseStatement(u"insert into t (a) values (1)", statement);
    EXPECT_EQ(Shown(statement), u"INSERT t a=1");
}

TEST(ParseStatement, FaultsAreNamed) {
    const struct {
        const char16_t* Statement;
        const char16_t* Fault;
    } cases[] = {
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
        {u"UPDATE t SET a = 1 WHERE ((b)=    ))", u"expected a column or a value"},
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
    for (const auto& c : cases) {
        const QString message = ParseError(QString::fromUtf16(c.Statement));
        EXPECT_TRUE(message.contains(QStringView(c.Fault)))
            << QStringView(c.Statement) << " -> " << message;
    }
    const QString deep = ParseError(u"UPDATE t SET a = 1 WHERE "_s + QString(100000, u'('));
    EXPECT_TRUE(deep.contains(u"too many nested parentheses")) << deep;
    // The message quotes only the start of a long statement.
    const QString longer = ParseError(u"INSERT INTO t (a) VALUES (1, "_s + QString(1000, u'2'));
    EXPECT_TRUE(longer.contains(u"INSERT INTO t (a) VALUES (1, 222")) << longer;
    EXPECT_TRUE(longer.contains(u"...")) << longer;
    EXPECT_LT(longer.size(), 400);
    const QString limit = QString(160, u'x');
    EXPECT_EQ(StatementExcerpt(limit), limit);
    EXPECT_EQ(StatementExcerpt(limit + u'y'), limit + QStringLiteral("..."));
}

// Names of one length with the same first and last letters share the quick hash, so only
// the full comparison tells such shapes apart.
TEST(StatementShape, OnlyTheValuesMayDiffer) {
    const QString ppm = u"UPDATE E SET NOX_AVG_PPM_PER_HOUR_ADJ = '1' WHERE ((DATA_HOUR)=7)"_s;
    const QString rate = u"UPDATE E SET NOX_AVG_LB_PER_MMBTU_ADJ = '1' WHERE ((DATA_HOUR)=7)"_s;
    const StatementShape lookAlike(ParseStatement(ppm));
    EXPECT_EQ(StatementShape::QuickHash(ParseStatement(rate)), lookAlike.Hash());
    EXPECT_TRUE(lookAlike.Matches(ParseStatement(ppm)));
    EXPECT_FALSE(lookAlike.Matches(ParseStatement(rate)));

    std::unique_ptr<StatementShape> shape;
    {
        // The shape keeps its own copy of the names: the text it was made from may be gone.
        const QString text = u"UPDATE t SET a = '1', b = 2 WHERE ((k)=1) AND ((j)='x')"_s;
        shape = std::make_unique<StatementShape>(ParseStatement(text));
    }
    EXPECT_TRUE(shape->Matches(ParseStatement(u"UPDATE t SET a = 'o', b = #1/2/03# WHERE k = 9 "
                                              u"AND j = 'y'")));
    for (const char16_t* other : {
             u"UPDATE u SET a = '1', b = 2 WHERE k = 1 AND j = 'x'",    // table
             u"UPDATE T SET a = '1', b = 2 WHERE k = 1 AND j = 'x'",    // spelling of the table
             u"UPDATE t SET b = '1', a = 2 WHERE k = 1 AND j = 'x'",    // column order
             u"UPDATE t SET a = '1' WHERE b = 2 AND k = 1 AND j = 'x'", // SET against WHERE
             u"UPDATE t SET a = '1', b = 2 WHERE k = 1",                // fewer conditions
             u"INSERT INTO t (a, b, k, j) VALUES ('1', 2, 1, 'x')",     // kind
         })
        EXPECT_FALSE(shape->Matches(ParseStatement(other))) << QStringView(other);
}

} // namespace
} // namespace tarnwick
