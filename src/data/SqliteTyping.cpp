// SPDX-License-Identifier: GPL-3.0-or-later
#include "SqliteTyping.h"

#include "OdbcHandle.h"
#include "OdbcText.h"

#include <QString>
#include <iterator>
#include <vector>

namespace kestrelon {

bool sqliteTypesByDeclaration(SQLHDBC connection)
{
    SQLHSTMT raw = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &raw)))
        return false;
    const odbc::Handle statement(SQL_HANDLE_STMT, raw);
    std::vector<SQLWCHAR> sql = odbc::toWide(QStringLiteral("SELECT 1 AS declared_nothing"));
    if (!SQL_SUCCEEDED(SQLExecDirectW(raw, sql.data(), SQL_NTS)))
        return false;
    SQLWCHAR name[64] = {};
    SQLSMALLINT nameLength = 0, dataType = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    const bool described =
        SQL_SUCCEEDED(SQLDescribeColW(raw, 1, name, SQLSMALLINT(std::size(name)), &nameLength,
                                      &dataType, &size, &digits, &nullable));
    SQLFreeStmt(raw, SQL_CLOSE);
    // Typed by its value, the column would be a number.
    return described &&
           (dataType == SQL_VARCHAR || dataType == SQL_WVARCHAR || dataType == SQL_LONGVARCHAR ||
            dataType == SQL_WLONGVARCHAR || dataType == SQL_CHAR || dataType == SQL_WCHAR);
}

} // namespace kestrelon
