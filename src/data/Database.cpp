// SPDX-License-Identifier: GPL-3.0-or-later
#include "Database.h"

#include "Catalogue.h"
#include "OdbcDiagnostics.h"
#include "OdbcText.h"
#include "Recordset.h"
#include "SqliteSchema.h"
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

// Asks the server for UTF-8, which a driver that hands only narrow
// characters then passes on as it comes: whatever the program's locale,
// every name reads exactly.
void askForUtf8(SQLHDBC connection)
{
    SQLHSTMT raw = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &raw)))
        return;
    const odbc::Handle statement(SQL_HANDLE_STMT, raw);
    std::vector<SQLWCHAR> sql = odbc::toWide(QStringLiteral("SET client_encoding TO 'UTF8'"));
    SQLExecDirectW(raw, sql.data(), SQL_NTS);
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
    if (!handsWideText())
        askForUtf8(connection);
    if (runsOnSqlite()) {
        letSqliteSortInParallel(connection);
        describedSchema_ = sqliteSchemaVersion(connection);
    }
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
    // The lost connection's transaction ended with it.
    inTransaction_ = false;
    connection_ = std::move(fresh.handle);
    sockets_ = std::move(fresh.sockets);
}

std::shared_ptr<Recordset> Database::openRecordset(const QString &rowSetName, CursorType type)
{
    QStringList spellings;
    try {
        spellings = spellingsOf(rowSetName);
    } catch (const Error &error) {
        // A data source that did not answer in time is not asked again.
        if (error.number() == TimedOut)
            throw;
        // Otherwise running the query tells what is wrong with the connection.
    }
    if (spellings.isEmpty())
        spellings << rowSetName;
    for (qsizetype i = 0;; ++i) {
        try {
            auto rows = std::make_shared<Recordset>(
                shared_from_this(), QStringLiteral("SELECT * FROM ") + spellings[i], type,
                type == CursorType::ForwardOnly && readsInBatches() ? Reading::InBatches
                                                                    : Reading::Whole);
            resolved_.insert(rowSetName, spellings[i]);
            knownColumns_.insert(rowSetName, rows->fieldNames());
            return rows;
        } catch (const Error &error) {
            if (i + 1 == spellings.size() || error.number() == TimedOut ||
                error.number() == OperationCancelled)
                throw;
        }
    }
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

std::shared_ptr<Recordset> Database::openQuery(const QString &query, const QStringList &parameters)
{
    return std::make_shared<Recordset>(shared_from_this(), query, parameters,
                                       CursorType::ForwardOnly);
}

QStringList Database::refreshDescription(const QString &rowSetName)
{
    QStringList columns;
    try {
        const Recordset empty(
            shared_from_this(),
            QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(sqlName(rowSetName)),
            CursorType::ForwardOnly);
        columns = empty.fieldNames();
        knownColumns_.insert(rowSetName, columns);
    } catch (const Error &error) {
        if (error.number() == TimedOut || error.number() == OperationCancelled)
            throw;
    }
    return columns;
}

bool Database::canRead(const QString &rowSetName)
{
    for (const QString &spelling : spellingsOf(rowSetName)) {
        try {
            const Recordset empty(shared_from_this(),
                                  QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(spelling),
                                  CursorType::ForwardOnly);
            resolved_.insert(rowSetName, spelling);
            knownColumns_.insert(rowSetName, empty.fieldNames());
            return true;
        } catch (const Error &error) {
            if (error.number() == TimedOut || error.number() == OperationCancelled)
                throw;
        }
    }
    return false;
}

QString Database::quotedIdentifier(const QString &name) const
{
    return catalogue::quotedIdentifier(handle(), name);
}

bool Database::runsOnSqlite() const
{
    return systemName().startsWith(QLatin1String("SQLite"), Qt::CaseInsensitive);
}

bool Database::numbersRowsInOrder() const
{
    return systemName().startsWith(QLatin1String("PostgreSQL"), Qt::CaseInsensitive);
}

bool Database::handsWideText() const
{
    // psqlODBC's ANSI driver answers a request for wide characters with
    // "Received an unsupported type".
    return !driverName_.startsWith(QLatin1String("psqlodbca"), Qt::CaseInsensitive);
}

bool Database::singleByteTextIsUtf8() const
{
#ifdef Q_OS_WIN
    return false;
#else
    // psqlODBC's Unicode driver talks UTF-8 with the server, and passes that
    // on unconverted when the program's own character set is UTF-8 too.
    const bool utf8Locale = QByteArrayView(nl_langinfo(CODESET)) == "UTF-8";
    return runsOnSqlite() || !handsWideText() ||
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
    return !spellingsOf(rowSetName).isEmpty();
}

QString Database::sqlName(const QString &rowSetName)
{
    const auto known = resolved_.constFind(rowSetName);
    if (known != resolved_.constEnd())
        return known.value();
    try {
        const QStringList spellings = spellingsOf(rowSetName);
        if (!spellings.isEmpty())
            return spellings.constFirst();
    } catch (const Error &error) {
        if (error.number() == TimedOut)
            throw;
    }
    return rowSetName;
}

QStringList Database::spellingsOf(const QString &rowSetName)
{
    if (!listed_)
        listed_ = catalogue::listedRowSets(*this);
    QStringList exact;
    QStringList alike;
    for (const QString &listed : *listed_) {
        if (listed == rowSetName)
            exact << catalogue::quotedIdentifier(handle(), listed);
        else if (listed.compare(rowSetName, Qt::CaseInsensitive) == 0)
            alike << catalogue::quotedIdentifier(handle(), listed);
    }
    exact.removeDuplicates();
    alike.removeDuplicates();
    return exact + alike;
}

} // namespace kestrelon
