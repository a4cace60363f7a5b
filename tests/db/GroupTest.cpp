#include "db/SourcesDatabase.h"
#include "tests/support/TestDatabases.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

QString HourInsert(int hour) {
    return QStringLiteral("INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, "
                          "SO2_MASS_LB_HOUR) VALUES (1, 'A', '03/15/01', '%1', '1.0')")
        .arg(hour);
}

QString HourUpdate(int hour, double mass) {
    return QStringLiteral("UPDATE EMISSIONS SET SO2_MASS_LB_HOUR = '%2' WHERE "
                          "(((UNIT_ID)='A') AND ((DATA_HOUR)=%1))")
        .arg(hour)
        .arg(mass);
}

// Fails on the engine, after parsing: QUARTERS.FACILITY_ID is NOT NULL but outside the key.
const QString EngineRefusal = QStringLiteral(
    "INSERT INTO QUARTERS (FACILITY_ID, UNIT_ID, DATE_OF_REPORT) VALUES ('  ', 'A', '04/30/01')");
// Fails before the engine is asked.
const QString UnknownColumn =
    QStringLiteral("INSERT INTO EMISSIONS (FACILITY_ID, NO_SUCH_COLUMN) VALUES (1, 2)");

class Groups : public BothEngines {
protected:
    void SetUp() override {
        BothEngines::SetUp();
        if (!IsSkipped())
            Database = SourcesDatabase::Open(Path = FreshDatabase());
    }
    void TearDown() override {
        Database.reset();
        BothEngines::TearDown();
    }
    // Counted through another connection: only committed rows show.
    qint64 CommittedHours() const {
        return QueryValue(Path, "SELECT COUNT(*) FROM EMISSIONS").toLongLong();
    }

    QString Path;
    std::unique_ptr<SourcesDatabase> Database;
};

TEST_P(Groups, StatementsShowWhenTheOutermostGroupEnds) {
    Database->BeginGroup();
    Database->Execute(HourInsert(1));
    Database->BeginGroup();
    Database->Execute(HourInsert(2));
    Database->EndGroup();
    EXPECT_EQ(CommittedHours(), 0);
    Database->EndGroup();
    EXPECT_EQ(CommittedHours(), 2);
    EXPECT_NO_THROW(Database->EndGroup()); // no group open: nothing to do
}

// A statement that fails before the engine is asked, or on the engine, commits what ran before
// it; the group goes on in a transaction of its own.
TEST_P(Groups, FailureCommitsWhatRanBeforeAndTheGroupGoesOn) {
    for (const QString& failing : {UnknownColumn, EngineRefusal}) {
        RunSql(Path, "DELETE FROM EMISSIONS");
        Database->BeginGroup();
        Database->Execute(HourInsert(1));
        Database->Execute(HourUpdate(1, 7.5));
        Database->Execute(HourInsert(2));
        const QString message = ErrorMessageOf([&] { Database->Execute(failing); });
        EXPECT_TRUE(message.contains(failing.left(25))) << message.toStdString();
        EXPECT_FALSE(message.contains(u"could not be saved")) << message.toStdString();
        EXPECT_EQ(CommittedHours(), 2);
        EXPECT_EQ(QueryValue(Path, "SELECT SO2_MASS_LB_HOUR FROM EMISSIONS WHERE DATA_HOUR = 1")
                      .toDouble(),
                  7.5);
        Database->Execute(HourInsert(3));
        EXPECT_EQ(CommittedHours(), 2); // back inside a transaction
        Database->EndGroup();
        EXPECT_EQ(CommittedHours(), 3);
    }
    EXPECT_EQ(QueryValue(Path, "SELECT COUNT(*) FROM QUARTERS").toLongLong(), 0);
}

TEST_P(Groups, LongGroupKeepsEveryStatementBeforeAFailure) {
    // More statements than one PostgreSQL checkpoint holds, updates among them.
    constexpr int Hours = 2600;
    Database->BeginGroup();
    for (int hour = 0; hour < Hours; ++hour) {
        Database->Execute(HourInsert(hour));
        if (hour % 100 == 0)
            Database->Execute(HourUpdate(hour, hour / 100.0));
    }
    EXPECT_THROW(Database->Execute(EngineRefusal), Error);
    EXPECT_THROW(Database->Execute(EngineRefusal), Error);
    EXPECT_EQ(CommittedHours(), Hours);
    EXPECT_EQ(QueryValue(Path, "SELECT SUM(SO2_MASS_LB_HOUR) FROM EMISSIONS").toDouble(),
              (Hours - 26) * 1.0 + (0 + 25) * 26 / 2.0);
    Database->EndGroup();
}

TEST_P(Groups, ScopeExitAndCloseCommitAndLaterUseFails) {
    try {
        StatementGroup group(*Database);
        Database->Execute(HourInsert(1));
        throw std::runtime_error("reading the file failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(CommittedHours(), 1);
    Database->BeginGroup();
    Database->Execute(HourInsert(2));
    Database->Close();
    EXPECT_EQ(CommittedHours(), 2);
    EXPECT_NO_THROW(Database->Close());
    EXPECT_NO_THROW(Database->EndGroup());
    EXPECT_THROW(Database->Execute(HourInsert(3)), Error);
    EXPECT_THROW(Database->BeginGroup(), Error);
}

// The cases no file gives today, run in a bulk group and one statement at a time on a second
// database: keys with NULL, an UPDATE before the INSERT of its key, an UPDATE of a key that
// only an earlier group wrote, spellings of one key, a quote inside a text, rows of a second
// table between, and a count.
TEST_P(Groups, BulkGroupGivesTheRowsOfItsStatements) {
    const QString insert = QStringLiteral(
        "INSERT INTO EMISSIONS (FACILITY_ID, UNIT_ID, DATA_DATE, DATA_HOUR, SO2_MASS_LB_HOUR, "
        "NOX_AVG_LB_PER_MMBTU) VALUES (%1, %2, %3, %4, '1.5', '2.5')");
    const QString update = QStringLiteral(
        "UPDATE EMISSIONS SET SO2_MASS_LB_HOUR = %5, NOX_AVG_LB_PER_MMBTU = '9' WHERE "
        "(((FACILITY_ID)=%1) AND ((UNIT_ID)=%2) AND ((DATA_DATE)=%3) AND ((DATA_HOUR)=%4))");
    const auto statement = [](QString text, std::initializer_list<const char*> values) {
        for (const char* value : values)
            text = text.arg(QLatin1String(value));
        return text;
    };
    const QStringList earlier{statement(insert, {"1", "'A'", "'03/15/01'", "'1'"})};
    const QStringList statements{
        statement(update, {"1", "'A'", "#03/15/01#", "1", "'4.5'"}),    // a row from before
        statement(update, {"1", "'B'", "#03/15/01#", "2", "'5.5'"}),    // no row yet: no effect
        statement(insert, {"1", "'B'", "'03/15/01'", "'02'"}),          // the row comes now
        statement(update, {"1", "'B  '", "#3/15/2001#", "2", "'6.5'"}), // the same key
        statement(insert, {"1", "'C'", "'02/30/01'", "'3'"}),           // NULL date: skipped
        statement(update, {"1", "'C'", "'02/30/01'", "3", "'7.5'"}),    // matches nothing
        statement(insert, {"1", "'D''E'", "'03/15/01'", "'  '"}),       // NULL hour: skipped
        statement(insert, {"2", "'D''E'", "'03/15/01'", "'4'"}),
        statement(update, {"2", "'D''E'", "#03/15/01#", "4", "'  '"}), // NULL value
        statement(insert, {"2", "'D''E'", "'03/15/01'", "'4'"}),       // already there
        "INSERT INTO FUELS (FACILITY_ID, UNIT_ID, FUEL_TYPE_COMBUSTED) VALUES (2, 'D', 'Coal')",
        statement(insert, {"3", "'A'", "'03/15/01'", "'1'"}),
        "INSERT INTO FUELS (FACILITY_ID, UNIT_ID, FUEL_TYPE_COMBUSTED) VALUES (2, 'D', 'Coal')",
    };
    const auto run = [&](GroupMode mode) {
        const QString path = FreshDatabase();
        std::unique_ptr<SourcesDatabase> database = SourcesDatabase::Open(path);
        for (const QStringList* group : {&earlier, &statements}) {
            database->BeginGroup(mode);
            for (const QString& text : *group)
                database->Execute(text);
            EXPECT_EQ(database->ReadField("SELECT Count(*) AS n FROM EMISSIONS", "n").toInt(),
                      group == &earlier ? 1 : 4);
            database->EndGroup();
            // The rows added, as the engine counted them: B, D'E and 3 A; the first FUELS row.
            const AddedRows added = group == &earlier
                                        ? AddedRows{{"EMISSIONS", 1}}
                                        : AddedRows{{"EMISSIONS", 3}, {"FUELS", 1}};
            EXPECT_EQ(database->TakeAddedRows(), added);
        }
        database->Close();
        return QueryRows(path, "SELECT * FROM EMISSIONS ORDER BY FACILITY_ID, UNIT_ID") +
               QueryRows(path, "SELECT * FROM FUELS");
    };
    const QList<QVariantList> rows = run(GroupMode::Statements);
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(run(GroupMode::Bulk), rows);
}

TARNWICK_INSTANTIATE_BOTH_ENGINES(Groups);

} // namespace
} // namespace tarnwick
