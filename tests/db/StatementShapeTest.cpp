#include "StatementShape.h"
#include "SqlStatement.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

// Names of one length with the same first and last letters share the quick hash, so only
// the full comparison tells such shapes apart.
TEST(StatementShape, LookAlikeNamesShareTheHashButNotTheShape) {
    const QString ppm =
        QStringLiteral("UPDATE EMISSIONS SET NOX_AVG_PPM_PER_HOUR_ADJ = '1' WHERE ((DATA_HOUR)=7)");
    const QString rate =
        QStringLiteral("UPDATE EMISSIONS SET NOX_AVG_LB_PER_MMBTU_ADJ = '1' WHERE ((DATA_HOUR)=7)");
    const SqlStatement ppmStatement = ParseStatement(ppm);
    const SqlStatement rateStatement = ParseStatement(rate);
    const StatementShape shape(ppmStatement);
    EXPECT_EQ(StatementShape::QuickHash(rateStatement), shape.Hash());
    EXPECT_TRUE(shape.Matches(ppmStatement));
    EXPECT_FALSE(shape.Matches(rateStatement));
}

TEST(StatementShape, OnlyTheValuesMayDiffer) {
    const SqlStatement statement =
        ParseStatement(u"UPDATE t SET a = '1', b = 2 WHERE ((k)=1) AND ((j)='x')");
    const StatementShape shape(statement);
    EXPECT_TRUE(shape.Matches(ParseStatement(u"UPDATE t SET a = 'other', b = #1/2/03# WHERE "
                                             u"k = 9 AND j = 'y'")));
    for (const char16_t* other : {
             u"UPDATE u SET a = '1', b = 2 WHERE k = 1 AND j = 'x'",    // table
             u"UPDATE T SET a = '1', b = 2 WHERE k = 1 AND j = 'x'",    // spelling of the table
             u"UPDATE t SET b = '1', a = 2 WHERE k = 1 AND j = 'x'",    // column order
             u"UPDATE t SET a = '1' WHERE b = 2 AND k = 1 AND j = 'x'", // SET against WHERE
             u"UPDATE t SET a = '1', b = 2 WHERE k = 1",                // fewer conditions
             u"INSERT INTO t (a, b, k, j) VALUES ('1', 2, 1, 'x')",     // kind
         }) {
        const SqlStatement parsed = ParseStatement(other);
        EXPECT_FALSE(shape.Matches(parsed)) << QStringView(other).toString().toStdString();
    }
}

// The shape keeps its own copy of the names: the text it was made from may be gone.
TEST(StatementShape, OutlivesTheTextItWasMadeFrom) {
    std::unique_ptr<StatementShape> shape;
    {
        const QString text = QStringLiteral("INSERT INTO t (a, b) VALUES (1, 2)");
        shape = std::make_unique<StatementShape>(ParseStatement(text));
    }
    const QString later = QStringLiteral("INSERT INTO t (a, b) VALUES (3, 4)");
    EXPECT_TRUE(shape->Matches(ParseStatement(later)));
}

} // namespace
} // namespace tarnwick
