// SPDX-License-Identifier: GPL-3.0-or-later
#include "StatementCanceller.h"

#include "OdbcText.h"

#include <sqlext.h>

namespace kestrelon {

namespace {

bool isSqlite(SQLHDBC connection)
{
    SQLWCHAR name[64] = {};
    SQLSMALLINT bytes = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(connection, SQL_DBMS_NAME, name, sizeof name, &bytes)))
        return false;
    return odbc::fromWide(name, qMin<qsizetype>(bytes / 2, 63))
        .startsWith(QStringLiteral("SQLite"), Qt::CaseInsensitive);
}

} // namespace

StatementCanceller StatementCanceller::forConnection(SQLHDBC connection)
{
    StatementCanceller canceller;
    SQLHSTMT spare = SQL_NULL_HSTMT;
    // Without a spare statement the running one is cancelled, as elsewhere.
    if (isSqlite(connection) && SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &spare)))
        canceller.spare_ = std::make_unique<odbc::Handle>(SQL_HANDLE_STMT, spare);
    return canceller;
}

} // namespace kestrelon
