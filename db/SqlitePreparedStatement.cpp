#include "db/SqlitePreparedStatement.h"

#include "db/DatabaseConnection.h"

#include <QSqlDriver>
#include <mutex>
#include <sqlite3.h>

#ifdef Q_OS_UNIX
#include <dlfcn.h>
#endif

namespace tarnwick {

namespace {

// Copies text that is all ASCII, which is then its own UTF-8; false for anything else.
bool CopyAscii(QStringView text, std::string& out) {
    out.resize(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x80)
            return false;
        out[static_cast<std::size_t>(i)] = static_cast<char>(c);
    }
    return true;
}

void AppendDigits(char*& out, int value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10)
        out[i] = static_cast<char>('0' + value % 10);
    out += digits;
}

EngineFault FaultOf(int resultCode, const char* message) {
    return {ClassifySqliteCode(resultCode), EngineSentence(QString::fromUtf8(message))};
}

} // namespace

bool RunsOnOurSqlite(const QSqlDriver& driver) {
#ifdef Q_OS_UNIX
    // The library the driver's plugin resolves sqlite3_libversion to, against Tarnwick's own.
    Dl_info plugin;
    if (!dladdr(driver.metaObject(), &plugin) || !plugin.dli_fname)
        return false;
    void* const loaded = dlopen(plugin.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (!loaded)
        return false;
    void* const theirs = dlsym(loaded, "sqlite3_libversion");
    dlclose(loaded);
    return theirs == reinterpret_cast<void*>(&sqlite3_libversion);
#else
    Q_UNUSED(driver);
    return false;
#endif
}

sqlite3* SqliteHandle(const QSqlDatabase& database) {
#ifndef TARNWICK_SQLITE_DIRECT
    Q_UNUSED(database);
    return nullptr;
#endif
    const QSqlDriver* driver = database.driver();
    const QVariant handle = driver ? driver->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    static std::once_flag told;
    const bool shared = RunsOnOurSqlite(*driver);
    std::call_once(told, [shared] {
        qInfo("SQLite statements run %s",
              shared ? "through SQLite's own interface on the driver's connection"
                     : "through Qt's driver: its SQLite is not the library Tarnwick calls");
    });
    return shared ? *static_cast<sqlite3* const*>(handle.constData()) : nullptr;
}

SqlitePreparedStatement::SqlitePreparedStatement(sqlite3* connection) : Connection(connection) {}

SqlitePreparedStatement::~SqlitePreparedStatement() {
    sqlite3_finalize(Statement);
}

bool SqlitePreparedStatement::Prepare(const QString& sql) {
    const QByteArray text = sql.toUtf8();
    const int result = sqlite3_prepare_v3(Connection, text.constData(), int(text.size()),
                                          SQLITE_PREPARE_PERSISTENT, &Statement, nullptr);
    if (result != SQLITE_OK || !Statement) {
        KeepConnectionFault();
        return false;
    }
    Texts.resize(static_cast<std::size_t>(sqlite3_bind_parameter_count(Statement)));
    return true;
}

void SqlitePreparedStatement::Bind(int index, const ColumnValue& value) {
    const int parameter = index + 1;
    switch (value.ValueKind) {
    case ColumnValue::Kind::Null:
        return CheckBind(sqlite3_bind_null(Statement, parameter));
    case ColumnValue::Kind::Integer:
        return CheckBind(sqlite3_bind_int(Statement, parameter, value.Integer));
    case ColumnValue::Kind::Real:
        return CheckBind(sqlite3_bind_double(Statement, parameter, value.Real));
    case ColumnValue::Kind::Text:
        return BindText(index, value.Text);
    case ColumnValue::Kind::Date:
        return BindDate(index, value.Date);
    }
}

std::string* SqlitePreparedStatement::TextOf(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < Texts.size())
        return &Texts[static_cast<std::size_t>(index)];
    CheckBind(SQLITE_RANGE, sqlite3_errstr(SQLITE_RANGE));
    return nullptr;
}

void SqlitePreparedStatement::BindText(int index, const SqlLiteral& text) {
    std::string* const utf8 = TextOf(index);
    if (!utf8)
        return;
    if (text.HasDoubledQuotes || !CopyAscii(text.Text, *utf8)) {
        const QByteArray converted = text.TextValue().toUtf8();
        utf8->assign(converted.constData(), static_cast<std::size_t>(converted.size()));
    }
    BindHeldText(index);
}

// DATE columns hold ISO text, as Qt's driver writes a QDate.
void SqlitePreparedStatement::BindDate(int index, QDate date) {
    std::string* const text = TextOf(index);
    if (!text)
        return;
    std::string& iso = *text;
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    if (year < 1 || year > 9999) {
        iso = date.toString(Qt::ISODate).toStdString();
    } else {
        iso.resize(10);
        char* out = iso.data();
        AppendDigits(out, year, 4);
        *out++ = '-';
        AppendDigits(out, month, 2);
        *out++ = '-';
        AppendDigits(out, day, 2);
    }
    BindHeldText(index);
}

// SQLITE_STATIC: the text stays where it is until this parameter is bound again, and the
// statement reads it only while it runs.
void SqlitePreparedStatement::BindHeldText(int index) {
    const std::string& text = Texts[static_cast<std::size_t>(index)];
    CheckBind(
        sqlite3_bind_text(Statement, index + 1, text.data(), int(text.size()), SQLITE_STATIC));
}

void SqlitePreparedStatement::CheckBind(int resultCode) {
    if (resultCode != SQLITE_OK)
        CheckBind(resultCode, sqlite3_errmsg(Connection));
}

void SqlitePreparedStatement::CheckBind(int resultCode, const char* message) {
    if (BindFailed) // the first failure is the one to tell
        return;
    BindFailed = true;
    LastFault = FaultOf(resultCode, message);
}

bool SqlitePreparedStatement::Run() {
    return Step(SQLITE_DONE);
}

qint64 SqlitePreparedStatement::RowsChanged() const {
    return sqlite3_changes64(Connection);
}

bool SqlitePreparedStatement::ReadCount(qint64& count) {
    if (!Step(SQLITE_ROW))
        return false;
    count = sqlite3_column_int64(Statement, 0);
    sqlite3_reset(Statement);
    return true;
}

// A statement left unreset would hold its transaction open, so every way out but the row
// a count reads resets it.
bool SqlitePreparedStatement::Step(int expected) {
    if (BindFailed) {
        BindFailed = false;
        return false;
    }
    const int result = sqlite3_step(Statement);
    if (result == expected) {
        if (result != SQLITE_ROW)
            sqlite3_reset(Statement);
        return true;
    }
    KeepConnectionFault();
    sqlite3_reset(Statement);
    return false;
}

void SqlitePreparedStatement::KeepConnectionFault() {
    LastFault = FaultOf(sqlite3_extended_errcode(Connection), sqlite3_errmsg(Connection));
}

} // namespace tarnwick
