// SPDX-License-Identifier: GPL-3.0-or-later
#include "SqliteReadOnlyMedia.h"

#include "OdbcHandle.h"
#include "OdbcText.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#ifdef Q_OS_UNIX
#include <sys/statvfs.h>
#endif

namespace kestrelon {

namespace {

bool runsOnSqlite(SQLHDBC connection)
{
    SQLWCHAR name[64] = {};
    SQLSMALLINT bytes = 0;
    return SQL_SUCCEEDED(SQLGetInfoW(connection, SQL_DBMS_NAME, name, sizeof name, &bytes)) &&
           odbc::fromWide(name, qMin<qsizetype>(bytes / 2, qsizetype(std::size(name)) - 1))
               .startsWith(QLatin1String("SQLite"), Qt::CaseInsensitive);
}

// The file of the connection's main database; empty when there is none.
QString mainDatabaseFile(SQLHDBC connection)
{
    SQLHSTMT raw = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &raw)))
        return {};
    const odbc::Handle statement(SQL_HANDLE_STMT, raw);
    std::vector<SQLWCHAR> sql = odbc::toWide(QStringLiteral("PRAGMA database_list"));
    if (!SQL_SUCCEEDED(SQLExecDirectW(raw, sql.data(), SQL_NTS)))
        return {};
    while (SQL_SUCCEEDED(SQLFetch(raw))) {
        SQLWCHAR text[4096] = {};
        SQLLEN bytes = 0;
        if (!SQL_SUCCEEDED(SQLGetData(raw, 2, SQL_C_WCHAR, text, sizeof text, &bytes)) ||
            bytes <= 0 || bytes >= SQLLEN(sizeof text) ||
            odbc::fromWide(text, qsizetype(bytes) / 2) != QLatin1String("main"))
            continue;
        bytes = 0;
        if (!SQL_SUCCEEDED(SQLGetData(raw, 3, SQL_C_WCHAR, text, sizeof text, &bytes)) ||
            bytes <= 0 || bytes >= SQLLEN(sizeof text))
            return {};
        return odbc::fromWide(text, qsizetype(bytes) / 2);
    }
    return {};
}

// SQLite's file header keeps the write-ahead log's version in bytes 18 and
// 19: 2 for a file in that mode.
bool inWriteAheadLogMode(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(20);
    return header.size() == 20 && header.startsWith("SQLite format 3") && header[18] == 2 &&
           header[19] == 2;
}

bool onReadOnlyFileSystem(const QString &path)
{
#ifdef Q_OS_UNIX
    struct statvfs status = {};
    return statvfs(QFile::encodeName(path).constData(), &status) == 0 &&
           (status.f_flag & ST_RDONLY) != 0;
#else
    Q_UNUSED(path);
    return false;
#endif
}

} // namespace

std::optional<QString> immutableSqliteName(SQLHDBC connection)
{
    if (!runsOnSqlite(connection))
        return std::nullopt;
    const QString path = mainDatabaseFile(connection);
    if (path.isEmpty() || !inWriteAheadLogMode(path) || !onReadOnlyFileSystem(path))
        return std::nullopt;
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setQuery(QStringLiteral("immutable=1"));
    return url.toString(QUrl::FullyEncoded);
}

} // namespace kestrelon
