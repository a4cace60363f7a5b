#include "db/DatabaseLocation.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace tarnwick {

namespace {

const QString OpenableKinds =
    QStringLiteral("Tarnwick opens SQLite database files and PostgreSQL connections (a "
                   "postgresql:// URI or a connection file holding one).");

QString Decoded(QStringView text) {
    return QString::fromUtf8(QByteArray::fromPercentEncoding(text.toUtf8()));
}

// The URI may carry a password, so only the fault is named, never the URI.
[[noreturn]] void ThrowBadUri(const QString& fault) {
    throw Error(QStringLiteral("The PostgreSQL connection URI is not valid: %1.").arg(fault),
                FailureKind::Open);
}

int ReadPort(QStringView text) {
    bool ok = false;
    const int port = text.toInt(&ok);
    if (!ok || port <= 0 || port > 65535)
        ThrowBadUri(
            QStringLiteral("the port \"%1\" is not a number from 1 to 65535").arg(text.toString()));
    return port;
}

void ReadHostAndPort(QStringView hostPort, PostgresSettings& settings) {
    QStringView host = hostPort;
    QStringView port;
    if (hostPort.startsWith(u'[')) {
        const qsizetype close = hostPort.indexOf(u']');
        if (close < 0)
            ThrowBadUri(QStringLiteral("a '[' around an address is not closed"));
        host = hostPort.sliced(1, close - 1);
        const QStringView rest = hostPort.sliced(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(u':'))
            ThrowBadUri(QStringLiteral("unexpected text after the address"));
        port = rest.isEmpty() ? QStringView() : rest.sliced(1);
    } else if (const qsizetype colon = hostPort.lastIndexOf(u':'); colon >= 0) {
        host = hostPort.first(colon);
        port = hostPort.sliced(colon + 1);
    }
    settings.Host = Decoded(host);
    if (!port.isEmpty())
        settings.Port = ReadPort(port);
}

void ReadUserInfo(QStringView userInfo, PostgresSettings& settings) {
    const qsizetype colon = userInfo.indexOf(u':');
    settings.User = Decoded(colon < 0 ? userInfo : userInfo.first(colon));
    if (colon >= 0)
        settings.Password = Decoded(userInfo.sliced(colon + 1));
}

void ReadParameter(QStringView parameter, PostgresSettings& settings) {
    const qsizetype equals = parameter.indexOf(u'=');
    if (equals <= 0)
        ThrowBadUri(QStringLiteral("a query parameter lacks its name or its value"));
    const QString key = Decoded(parameter.first(equals));
    const QString value = Decoded(parameter.sliced(equals + 1));
    if (key == u"host")
        settings.Host = value;
    else if (key == u"port")
        settings.Port = ReadPort(value);
    else if (key == u"user")
        settings.User = value;
    else if (key == u"password")
        settings.Password = value;
    else if (key == u"dbname")
        settings.DatabaseName = value;
    else
        settings.Options.append({key, value});
}

bool IsSocketFolder(const QString& host) {
    return host.startsWith(u'/');
}

// --- files

bool StartsWith(const QByteArray& head, qsizetype offset, QByteArrayView magic) {
    return head.size() >= offset + magic.size() && head.sliced(offset, magic.size()) == magic;
}

bool IsSqliteHeader(const QByteArray& head) {
    return StartsWith(head, 0, QByteArrayView("SQLite format 3\0", 16));
}

bool IsAccessHeader(const QByteArray& head) {
    return StartsWith(head, 4, "Standard Jet DB") || StartsWith(head, 4, "Standard ACE DB");
}

// The URI on the first non-blank line of a small text file, or nothing.
QString ConnectionFileUri(const QByteArray& content) {
    if (content.contains('\0'))
        return {};
    QString text = QString::fromUtf8(content);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    for (QStringView line : QStringView(text).split(u'\n')) {
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        return IsPostgresUri(trimmed) ? trimmed.toString() : QString();
    }
    return {};
}

DatabaseLocation PostgresLocation(const QString& path, QStringView uri) {
    DatabaseLocation location;
    location.Engine = DatabaseEngine::PostgreSQL;
    location.Path = path;
    location.Postgres = ParsePostgresUri(uri);
    return location;
}

DatabaseLocation SqliteLocation(const QString& path) {
    DatabaseLocation location;
    location.Engine = DatabaseEngine::SQLite;
    location.Path = path;
    location.SqliteFile = path;
    return location;
}

QByteArray ReadHead(const QString& path) {
    // Connection files are a line or two; SQLite and Access show themselves in the first bytes.
    constexpr qint64 HeadLength = 64 * 1024;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(
            QStringLiteral("Cannot read the database file %1: %2.").arg(path, file.errorString()),
            FailureKind::Open);
    return file.read(HeadLength);
}

DatabaseLocation LocateFile(const QString& path, NewSqliteFile newFile) {
    const QFileInfo info(path);
    if (!info.exists()) {
        if (newFile == NewSqliteFile::Allowed)
            return SqliteLocation(path);
        throw Error(QStringLiteral("The database %1 does not exist.").arg(path), FailureKind::Open);
    }
    if (info.isDir())
        throw Error(QStringLiteral("%1 is a folder, not a database. %2").arg(path, OpenableKinds),
                    FailureKind::Open);
    const QByteArray head = ReadHead(path);
    if (head.isEmpty()) {
        if (newFile == NewSqliteFile::Allowed)
            return SqliteLocation(path);
        throw Error(QStringLiteral("The file %1 is empty: it is not a SQLite database. %2")
                        .arg(path, OpenableKinds),
                    FailureKind::Open);
    }
    if (IsSqliteHeader(head))
        return SqliteLocation(path);
    if (IsAccessHeader(head))
        throw Error(QStringLiteral("%1 is a Microsoft Access database, which Tarnwick "
                                   "does not open. %2")
                        .arg(path, OpenableKinds),
                    FailureKind::Open);
    if (const QString uri = ConnectionFileUri(head); !uri.isEmpty())
        return PostgresLocation(path, uri);
    throw Error(
        QStringLiteral("%1 is not a database Tarnwick can open. %2").arg(path, OpenableKinds),
        FailureKind::Open);
}

} // namespace

QString PostgresSettings::Describe() const {
    QString text = QStringLiteral("postgresql://");
    if (!User.isEmpty())
        text += User + u'@';
    if (!IsSocketFolder(Host))
        text += Host.contains(u':') ? QStringLiteral("[%1]").arg(Host) : Host;
    if (Port > 0)
        text += u':' + QString::number(Port);
    text += u'/' + DatabaseName;
    if (IsSocketFolder(Host))
        text += QStringLiteral("?host=") + Host;
    return text;
}

bool IsPostgresUri(QStringView text) {
    return text.startsWith(u"postgresql://", Qt::CaseInsensitive) ||
           text.startsWith(u"postgres://", Qt::CaseInsensitive);
}

PostgresSettings ParsePostgresUri(QStringView uri) {
    if (!IsPostgresUri(uri))
        ThrowBadUri(QStringLiteral("it does not start with postgresql://"));
    QStringView rest = uri.sliced(uri.indexOf(u"://") + 3);
    QStringView query;
    if (const qsizetype question = rest.indexOf(u'?'); question >= 0) {
        query = rest.sliced(question + 1);
        rest = rest.first(question);
    }
    PostgresSettings settings;
    QStringView authority = rest;
    if (const qsizetype slash = rest.indexOf(u'/'); slash >= 0) {
        authority = rest.first(slash);
        settings.DatabaseName = Decoded(rest.sliced(slash + 1));
    }
    if (const qsizetype at = authority.lastIndexOf(u'@'); at >= 0) {
        ReadUserInfo(authority.first(at), settings);
        authority = authority.sliced(at + 1);
    }
    ReadHostAndPort(authority, settings);
    for (QStringView parameter : query.split(u'&', Qt::SkipEmptyParts))
        ReadParameter(parameter, settings);
    return settings;
}

QString DatabaseLocation::Describe() const {
    if (Engine == DatabaseEngine::SQLite)
        return SqliteFile;
    const QString uri = Postgres.Describe();
    return IsPostgresUri(Path) ? uri : QStringLiteral("%1 (%2)").arg(Path, uri);
}

DatabaseLocation LocateDatabase(const QString& path, NewSqliteFile newFile) {
    const QString trimmed = path.trimmed();
    if (trimmed.isEmpty())
        throw Error(QStringLiteral("No database is given: the database path is empty."),
                    FailureKind::Open);
    if (IsPostgresUri(trimmed))
        return PostgresLocation(path, trimmed);
    return LocateFile(path, newFile);
}

} // namespace tarnwick
