// SPDX-License-Identifier: GPL-3.0-or-later
#include "StatementCanceller.h"

#include "OdbcApi.h"

namespace kestrelon {

StatementCanceller StatementCanceller::forConnection(SQLHDBC connection, bool sqlite)
{
    StatementCanceller canceller;
    SQLHSTMT spare = SQL_NULL_HSTMT;
    // Without a spare statement the running one is cancelled, as elsewhere.
    if (sqlite && SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &spare)))
        canceller.spare_ = std::make_unique<odbc::Handle>(SQL_HANDLE_STMT, spare);
    return canceller;
}

} // namespace kestrelon
