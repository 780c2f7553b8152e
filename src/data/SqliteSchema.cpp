// SPDX-License-Identifier: GPL-3.0-or-later
#include "SqliteSchema.h"

#include "OdbcHandle.h"
#include "OdbcText.h"

namespace kestrelon {

std::optional<qint64> sqliteSchemaVersion(SQLHDBC connection)
{
    SQLHSTMT raw = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &raw)))
        return std::nullopt;
    const odbc::Handle statement(SQL_HANDLE_STMT, raw);
    std::vector<SQLWCHAR> sql = odbc::toWide(QStringLiteral("PRAGMA schema_version"));
    SQLBIGINT version = 0;
    SQLLEN indicator = 0;
    if (!SQL_SUCCEEDED(SQLExecDirectW(raw, sql.data(), SQL_NTS)) || !SQL_SUCCEEDED(SQLFetch(raw)) ||
        !SQL_SUCCEEDED(SQLGetData(raw, 1, SQL_C_SBIGINT, &version, 0, &indicator)) ||
        indicator == SQL_NULL_DATA)
        return std::nullopt;
    SQLFreeStmt(raw, SQL_CLOSE);
    return qint64(version);
}

QString sqliteSchemaVersionExpression()
{
    return QStringLiteral("(SELECT schema_version FROM pragma_schema_version)");
}

} // namespace kestrelon
