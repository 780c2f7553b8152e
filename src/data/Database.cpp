#include "Database.h"

#include "OdbcDiagnostics.h"
#include "OdbcText.h"
#include "Recordset.h"
#include "Workspace.h"

#include <sqlext.h>

namespace kestrelon {

Database::Database(std::shared_ptr<Workspace> workspace, Connection connection,
                   QString dataSourceName, QString secret)
    : workspace_(std::move(workspace)), connection_(std::move(connection.handle)),
      sockets_(std::move(connection.sockets)), name_(std::move(dataSourceName)),
      secret_(std::move(secret))
{
}

SQLHSTMT Database::allocateStatement(const odbc::Handle &connection) const
{
    SQLHSTMT raw = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection.get(), &raw)))
        throw odbc::diagnosticError(SQL_HANDLE_DBC, connection.get(),
                                    QStringLiteral("Cannot allocate a statement"), secret_);
    // A driver that cannot limit its statements still runs them.
    SQLSetStmtAttrW(raw, SQL_ATTR_QUERY_TIMEOUT,
                    reinterpret_cast<SQLPOINTER>(SQLULEN(queryTimeoutSeconds)), 0);
    return raw;
}

void Database::replaceLost(const odbc::Handle &lost)
{
    if (&lost != connection_.get())
        return;
    Connection fresh = workspace_->connect(name_);
    connection_ = std::move(fresh.handle);
    sockets_ = std::move(fresh.sockets);
}

std::shared_ptr<Recordset> Database::openRecordset(const QString &rowSetName, CursorType type)
{
    return std::make_shared<Recordset>(shared_from_this(),
                                       QStringLiteral("SELECT * FROM ") + rowSetName, type);
}

std::shared_ptr<Recordset> Database::openRecordset(const QString &rowSetName,
                                                   const QStringList &columns, CursorType type)
{
    return std::make_shared<Recordset>(
        shared_from_this(),
        QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QStringLiteral(", ")), rowSetName),
        type);
}

Error Database::failure(SQLHSTMT statement, const QString &context, bool cutOff) const
{
    if (!cutOff)
        return odbc::diagnosticError(SQL_HANDLE_STMT, statement, context, secret_);
    const QString ending = sockets_.isEmpty() ? QStringLiteral("the query was cancelled")
                                              : QStringLiteral("the connection to it was closed");
    return Error(TimedOut, QStringLiteral("%1: the data source did not answer within %2 seconds, "
                                          "and %3")
                               .arg(context)
                               .arg(cutOffSeconds)
                               .arg(ending));
}

bool Database::hasRowSet(const QString &rowSetName)
{
    const odbc::Handle statement(SQL_HANDLE_STMT, allocateStatement(*connection_));
    const SQLHSTMT raw = statement.get();
    const QString context = QStringLiteral("Cannot read the catalogue");
    const Watchdog::Watch watched = watch(raw); // the catalogue is read in one go
    auto types = odbc::toWide(QStringLiteral("TABLE,VIEW"));
    if (!SQL_SUCCEEDED(SQLTablesW(raw, nullptr, 0, nullptr, 0, nullptr, 0, types.data(), SQL_NTS)))
        throw failure(raw, context, watched.ranOut());
    for (;;) {
        const SQLRETURN rc = SQLFetch(raw);
        if (rc == SQL_NO_DATA)
            return false;
        if (!SQL_SUCCEEDED(rc))
            throw failure(raw, context, watched.ranOut());
        SQLWCHAR name[256] = {};
        SQLLEN length = 0;
        constexpr SQLUSMALLINT tableNameColumn = 3;
        if (SQL_SUCCEEDED(
                SQLGetData(raw, tableNameColumn, SQL_C_WCHAR, name, sizeof name, &length)) &&
            length > 0) {
            const qsizetype units = qMin<qsizetype>(length / 2, qsizetype(std::size(name)) - 1);
            if (odbc::fromWide(name, units).compare(rowSetName, Qt::CaseInsensitive) == 0)
                return true;
        }
    }
}

} // namespace kestrelon
