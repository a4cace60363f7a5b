#include "db/StatementCache.h"

#include "db/QtPreparedStatement.h"
#include "db/RowFold.h"
#include "db/SqlPieces.h"
#include "db/SqlitePreparedStatement.h"

#include "db/StatementScanning.h"
#include "db/TextRules.h"

#include <QSet>
#include <algorithm>

namespace tarnwick {

namespace {

// The program uses a dozen shapes; a flood of new ones is not worth keeping prepared.
constexpr qsizetype MaxPreparedShapes = 256;

// The table's indexes of `count` bound columns from `first` on.
std::vector<qsizetype> ColumnIndexes(const std::vector<BoundColumn>& columns, qsizetype first,
                                     qsizetype count) {
    std::vector<qsizetype> indexes;
    for (qsizetype i = first; i < first + count; ++i)
        indexes.push_back(columns[std::size_t(i)].Index);
    return indexes;
}

QString BuildSql(const SqlStatement& statement, const TableInfo& table,
                 const std::vector<BoundColumn>& columns) {
    const qsizetype values = qsizetype(statement.Values.size());
    const qsizetype conditions = qsizetype(statement.Conditions.size());
    switch (statement.Kind) {
    case StatementKind::Insert:
        // ON CONFLICT DO NOTHING skips only rows a PRIMARY KEY or UNIQUE constraint refuses;
        // every other failure still surfaces.
        return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT DO NOTHING")
            .arg(QuotedName(table.Name),
                 NameList(table, ColumnIndexes(columns, 0, values), u"%1", u", "),
                 Placeholders(values));
    case StatementKind::Update:
        return QStringLiteral("UPDATE %1 SET %2 WHERE %3")
            .arg(QuotedName(table.Name),
                 NameList(table, ColumnIndexes(columns, 0, values), u"%1 = ?", u", "),
                 NameList(table, ColumnIndexes(columns, values, conditions), u"%1 = ?", u" AND "));
    case StatementKind::Count:
        return QStringLiteral("SELECT COUNT(*) FROM %1").arg(QuotedName(table.Name));
    }
    return {};
}

// An UPDATE folds when its WHERE names each key column once and nothing else, and its SET
// leaves the key alone; an INSERT when its table has a key.
bool IsFoldable(const SqlStatement& statement, const TableInfo& table,
                const std::vector<BoundColumn>& columns) {
    if (statement.Kind == StatementKind::Count || !TableFold::CanFold(table))
        return false;
    if (statement.Kind == StatementKind::Insert)
        return true;
    const std::size_t sets = statement.Values.size();
    QSet<qsizetype> keys;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const bool isKey = columns[i].Column->PrimaryKey;
        if (i < sets ? isKey : (!isKey || keys.contains(columns[i].Index)))
            return false;
        if (i >= sets)
            keys.insert(columns[i].Index);
    }
    qsizetype keyColumns = 0;
    for (const ColumnInfo& column : table.Columns)
        keyColumns += column.PrimaryKey;
    return keys.size() == keyColumns;
}

} // namespace

StatementPlans::StatementPlans(const DatabaseLocation& location, TableCatalog& catalog)
    : Location(location), Catalog(catalog) {}

StatementPlan& StatementPlans::PlanFor(const QString& text) {
    for (StatementPlan*& recent : Recent) {
        if (recent && recent->Skeleton && recent->Skeleton->Parse(text, Statement)) {
            std::swap(recent, Recent.front());
            KeepParsedLiterals();
            return *Recent.front();
        }
    }
    ParseStatement(text, Statement);
    StatementPlan& plan = FindPlan(text);
    plan.Skeleton.emplace(text, Statement);
    if (Recent.front() != &plan) {
        Recent.back() = Recent.front();
        Recent.front() = &plan;
    }
    KeepParsedLiterals();
    return plan;
}

void StatementPlans::KeepParsedLiterals() {
    Literals.clear();
    for (const auto* items : {&Statement.Values, &Statement.Conditions})
        for (const ColumnLiteral& item : *items)
            Literals.push_back(item.Value);
}

// Where a literal holds what the parser would read differently from the value (a quote, the
// end of a bare number, a # sign) or must judge (a number, a date), the text decides.
StatementPlan* StatementPlans::PlanFor(const StatementParts& parts) {
    FormPlan* form = nullptr;
    for (FormPlan& known : Forms)
        if (known.Form == &parts.Form())
            form = &known;
    if (!form && !(form = LearnForm(parts)))
        return nullptr;
    Literals.resize(form->ColumnOfLiteral.size());
    for (std::size_t i = 0; i < form->ColumnOfLiteral.size(); ++i) {
        SqlLiteral& literal = Literals[form->ColumnOfLiteral[i]];
        literal.Kind = parts.Form().KindOf(i);
        literal.Text = parts.Literal(i);
        literal.HasDoubledQuotes = false;
        switch (literal.Kind) {
        case LiteralKind::Text:
            if (literal.Text.contains(u'\''))
                return nullptr;
            break;
        case LiteralKind::Number:
            // Blanks around a bare number are the statement's, not the number's: the parser
            // skips them as it skips every space between two words.
            literal.Text = TrimBlanks(literal.Text);
            for (const QChar c : literal.Text)
                if (IsWordEnd(c.unicode()))
                    return nullptr;
            if (!IsNumberText(literal.Text))
                return nullptr;
            break;
        case LiteralKind::Date: {
            const std::optional<QDate> date = ReadUsDate(literal.Text);
            if (literal.Text.contains(u'#') || !date)
                return nullptr;
            literal.Date = *date;
            break;
        }
        }
    }
    return form->Plan;
}

// The first statement of a form is parsed from its text: that gives the plan, and where each
// literal stands among the plan's columns.
StatementPlans::FormPlan* StatementPlans::LearnForm(const StatementParts& parts) {
    std::vector<qsizetype> starts;
    const QString text = parts.Text(&starts);
    StatementPlan& plan = PlanFor(text);
    std::vector<std::size_t> columns;
    for (const qsizetype start : starts) {
        const auto at = std::find_if(Literals.begin(), Literals.end(), [&](const SqlLiteral& l) {
            return l.Text.data() - text.data() == start;
        });
        if (at == Literals.end())
            return nullptr;
        columns.push_back(std::size_t(at - Literals.begin()));
    }
    if (columns.size() != Literals.size())
        return nullptr;
    Forms.push_back({&parts.Form(), &plan, std::move(columns)});
    return &Forms.back();
}

StatementPlan& StatementPlans::FindPlan(const QString& text) {
    const std::size_t hash = StatementShape::QuickHash(Statement);
    for (const std::unique_ptr<StatementPlan>& plan : Plans)
        if (plan->Shape.Hash() == hash && plan->Shape.Matches(Statement))
            return *plan;
    std::unique_ptr<StatementPlan> plan = NewPlan(text);
    if (qsizetype(Plans.size()) >= MaxPreparedShapes)
        Clear();
    Plans.push_back(std::move(plan));
    return *Plans.back();
}

std::unique_ptr<StatementPlan> StatementPlans::NewPlan(const QString& text) {
    const TableInfo* table = Catalog.Find(Statement.Table);
    if (!table)
        ThrowStatementFault(QStringLiteral("The database %1 has no table %2.")
                                .arg(Location.Describe(), Statement.Table.toString()),
                            text);
    auto plan = std::make_unique<StatementPlan>(Statement);
    plan->Table = table;
    QSet<const ColumnInfo*> assigned;
    const auto addColumn = [&](QStringView name, bool assigning) {
        const ColumnInfo* column = table->FindColumn(name);
        if (!column)
            ThrowStatementFault(
                QStringLiteral("The table %1 has no column %2.").arg(table->Name, name.toString()),
                text);
        if (assigning && assigned.contains(column))
            ThrowStatementFault(QStringLiteral("The column %1 is given twice.").arg(column->Name),
                                text);
        if (assigning)
            assigned.insert(column);
        plan->Columns.push_back({column, column - table->Columns.data(),
                                 Statement.Kind == StatementKind::Insert && column->PrimaryKey});
    };
    for (const ColumnLiteral& item : Statement.Values)
        addColumn(item.Column, true);
    for (const ColumnLiteral& item : Statement.Conditions)
        addColumn(item.Column, false);
    if (Statement.Kind == StatementKind::Insert)
        for (const ColumnInfo& column : table->Columns)
            if (column.PrimaryKey && !assigned.contains(&column))
                plan->AlwaysSkipped = true;
    plan->Foldable = IsFoldable(Statement, *table, plan->Columns);
    return plan;
}

StatementCache::StatementCache(DatabaseConnection& connection, TableCatalog& catalog)
    : StatementPlans(connection.Location(), catalog), Connection(connection) {
    if (connection.Location().Engine == DatabaseEngine::SQLite)
        SqliteConnection = SqliteHandle(connection.Database());
}

void StatementCache::Prepare(StatementPlan& plan, const QString& text) {
    plan.Statement = NewStatement();
    if (!plan.Statement->Prepare(BuildSql(Statement, *plan.Table, plan.Columns)))
        ThrowEngineFailure(Connection.Location(), plan.Statement->Fault(), text);
}

std::unique_ptr<PreparedStatement> StatementCache::NewStatement() {
    if (SqliteConnection)
        return std::make_unique<SqlitePreparedStatement>(SqliteConnection);
    return std::make_unique<QtPreparedStatement>(Connection.Database(),
                                                 Connection.Location().Engine);
}

bool StatementPlans::Convert(const StatementPlan& plan, QStringView text,
                             std::vector<ColumnValue>& values) {
    values.clear();
    if (plan.AlwaysSkipped)
        return false;
    try {
        for (std::size_t i = 0; i < Literals.size(); ++i) {
            const BoundColumn& bound = plan.Columns[i];
            values.push_back(
                ConvertLiteralValue(Literals[i], bound.Column->Type, bound.Column->Name));
            if (bound.SkipWhenNull && values.back().IsNull())
                return false;
        }
    } catch (const Error& error) {
        ThrowStatementFault(error.Message, text);
    }
    return true;
}

StatementCache::Outcome StatementCache::Run(const QString& text) {
    StatementPlan& plan = PlanFor(text);
    if (Statement.Kind == StatementKind::Count)
        ThrowStatementFault(
            QStringLiteral("A SELECT Count(*) query is read with ReadField, not run."), text);
    if (!Convert(plan, text, Values))
        return {};
    if (!plan.Statement)
        Prepare(plan, text);
    for (std::size_t i = 0; i < Values.size(); ++i)
        plan.Statement->Bind(int(i), Values[i]);
    if (!plan.Statement->Run())
        ThrowEngineFailure(Connection.Location(), plan.Statement->Fault(), text);
    const bool insert = Statement.Kind == StatementKind::Insert;
    return {true, insert ? plan.Statement->RowsChanged() : 0, plan.Table};
}

qint64 StatementCache::Count(const QString& query, const QString& field) {
    StatementPlan& plan = PlanFor(query);
    if (Statement.Kind != StatementKind::Count)
        ThrowStatementFault(QStringLiteral("ReadField reads SELECT Count(*) queries only."), query);
    if (Statement.CountAlias.compare(field, Qt::CaseInsensitive) != 0)
        ThrowStatementFault(QStringLiteral("The query has no field %1; its field is %2.")
                                .arg(field, Statement.CountAlias.toString()),
                            query);
    if (!plan.Statement)
        Prepare(plan, query);
    qint64 count = 0;
    if (!plan.Statement->ReadCount(count))
        ThrowEngineFailure(Connection.Location(), plan.Statement->Fault(), query);
    return count;
}

} // namespace tarnwick
