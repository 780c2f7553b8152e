// SPDX-License-Identifier: GPL-3.0-or-later
#include "Database.h"

#include "Catalogue.h"
#include "OdbcDiagnostics.h"
#include "OdbcText.h"
#include "Recordset.h"
#include "SqliteSorting.h"
#include "SqliteTyping.h"
#include "Workspace.h"

#include "OdbcApi.h"
#include <iterator>

#ifndef Q_OS_WIN
#include <langinfo.h>
#endif

namespace kestrelon {

namespace {

QString infoText(SQLHDBC connection, SQLUSMALLINT item)
{
    SQLWCHAR text[128] = {};
    SQLSMALLINT bytes = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(connection, item, text, sizeof text, &bytes)))
        return {};
    return odbc::fromWide(text, qMin<qsizetype>(bytes / 2, qsizetype(std::size(text)) - 1));
}

} // namespace

Database::Database(std::shared_ptr<Workspace> workspace, Connection connection,
                   QString dataSourceName, QString secret)
    : workspace_(std::move(workspace)), connection_(std::move(connection.handle)),
      sockets_(std::move(connection.sockets)), name_(std::move(dataSourceName)),
      secret_(std::move(secret))
{
    // Asked once, here: the threads that open cursors later only read them.
    systemName_ = infoText(handle(), SQL_DBMS_NAME);
    driverName_ = infoText(handle(), SQL_DRIVER_NAME);
    takeUp(handle());
}

void Database::takeUp(SQLHDBC connection)
{
    canceller_ = StatementCanceller::forConnection(connection, runsOnSqlite());
    describesAsDeclared_ = !runsOnSqlite() || sqliteTypesByDeclaration(connection);
    if (runsOnSqlite())
        letSqliteSortInParallel(connection);
}

SQLHSTMT Database::allocateStatement(const odbc::Handle &connection) const
{
    SQLHSTMT raw = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection.get(), &raw)))
        throw odbc::diagnosticError(SQL_HANDLE_DBC, connection.get(),
                                    QStringLiteral("Cannot allocate a statement"), secret_);
    // A driver's own limit counts the whole statement, rows sent to a slow
    // client included (psqlODBC's is the server's statement_timeout): only
    // where the watchdog cannot hear the rows arrive. A driver that cannot
    // limit its statements still runs them.
    if (!sockets_.bytesReceived())
        SQLSetStmtAttrW(raw, SQL_ATTR_QUERY_TIMEOUT,
                        reinterpret_cast<SQLPOINTER>(SQLULEN(queryTimeoutSeconds)), 0);
    return raw;
}

void Database::replaceLost(const odbc::Handle &lost)
{
    if (&lost != connection_.get())
        return;
    Connection fresh = workspace_->connect(name_);
    // The old spare statement goes before its connection may.
    takeUp(fresh.handle->get());
    connection_ = std::move(fresh.handle);
    sockets_ = std::move(fresh.sockets);
}

std::shared_ptr<Recordset> Database::openRecordset(const QString &rowSetName, CursorType type)
{
    return std::make_shared<Recordset>(
        shared_from_this(), QStringLiteral("SELECT * FROM ") + sqlName(rowSetName), type);
}

std::shared_ptr<Recordset> Database::openRecordset(const QString &rowSetName,
                                                   const QStringList &columns, CursorType type)
{
    return std::make_shared<Recordset>(
        shared_from_this(),
        QStringLiteral("SELECT %1 FROM %2")
            .arg(columns.join(QStringLiteral(", ")), sqlName(rowSetName)),
        type);
}

std::shared_ptr<Recordset> Database::openRecordsetWhere(const QString &rowSetName,
                                                        const QString &condition,
                                                        const QStringList &parameters,
                                                        const QString &ordering)
{
    return std::make_shared<Recordset>(shared_from_this(),
                                       QStringLiteral("SELECT * FROM %1 WHERE %2 ORDER BY %3")
                                           .arg(sqlName(rowSetName), condition, ordering),
                                       parameters, CursorType::ForwardOnly);
}

QStringList Database::refreshDescription(const QString &rowSetName)
{
    QStringList columns;
    try {
        const Recordset empty(
            shared_from_this(),
            QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(sqlName(rowSetName)),
            CursorType::ForwardOnly);
        for (int i = 0; i < empty.fieldCount(); ++i)
            columns << empty.fieldName(i);
    } catch (const Error &error) {
        if (error.number() == TimedOut || error.number() == OperationCancelled)
            throw;
    }
    return columns;
}

QString Database::quotedIdentifier(const QString &name) const
{
    return catalogue::quotedIdentifier(handle(), name);
}

bool Database::runsOnSqlite() const
{
    return systemName().startsWith(QLatin1String("SQLite"), Qt::CaseInsensitive);
}

bool Database::singleByteTextIsUtf8() const
{
#ifdef Q_OS_WIN
    return false;
#else
    // psqlODBC's Unicode driver talks UTF-8 with the server, and passes that
    // on unconverted when the program's own character set is UTF-8 too.
    const bool utf8Locale = QByteArrayView(nl_langinfo(CODESET)) == "UTF-8";
    return runsOnSqlite() ||
           (utf8Locale && driverName_.startsWith(QLatin1String("psqlodbcw"), Qt::CaseInsensitive));
#endif
}

Error Database::failure(SQLHSTMT statement, const QString &context, bool cutOff) const
{
    // A call that fails once the connection was interrupted was most likely
    // stopped by it; the driver's own words for that differ.
    if (!cutOff && interruption_.isInterrupted())
        return Error(OperationCancelled, QStringLiteral("Operation cancelled"));
    if (!cutOff)
        return odbc::diagnosticError(SQL_HANDLE_STMT, statement, context, secret_);
    const bool closed = watchdog_.ending() == Watchdog::Ending::CutOff;
    const QString ending = closed ? QStringLiteral("the connection to it was closed")
                                  : QStringLiteral("the query was cancelled");
    return Error(TimedOut,
                 QStringLiteral("%1: the data source did not answer within %2 seconds, "
                                "and %3")
                     .arg(context)
                     .arg(closed || sockets_.isEmpty() ? cutOffSeconds : queryTimeoutSeconds)
                     .arg(ending));
}

bool Database::hasRowSet(const QString &rowSetName)
{
    return !resolve(rowSetName).isEmpty();
}

QString Database::sqlName(const QString &rowSetName)
{
    try {
        const QString resolved = resolve(rowSetName);
        if (!resolved.isEmpty())
            return resolved;
    } catch (const Error &error) {
        // A data source that did not answer in time is not asked again.
        if (error.number() == TimedOut)
            throw;
        // Otherwise running the query tells what is wrong with the connection.
    }
    return rowSetName;
}

QString Database::resolve(const QString &rowSetName)
{
    const auto known = resolved_.constFind(rowSetName);
    if (known != resolved_.constEnd())
        return known.value();
    for (const QString &spelling : catalogue::spellingsOf(*this, rowSetName)) {
        const QString quoted = catalogue::quotedIdentifier(handle(), spelling);
        if (catalogue::canSelectFrom(*this, quoted)) {
            resolved_.insert(rowSetName, quoted);
            return quoted;
        }
    }
    return {};
}

} // namespace kestrelon
