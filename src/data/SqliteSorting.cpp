// SPDX-License-Identifier: GPL-3.0-or-later
#include "SqliteSorting.h"

#include "OdbcHandle.h"
#include "OdbcText.h"

#include "OdbcApi.h"
#include <QString>
#include <algorithm>
#include <thread>

namespace kestrelon {

namespace {

// Each helper keeps a sort buffer of its own, of a few megabytes.
constexpr unsigned mostHelpers = 3;

unsigned helperCount()
{
    // All cores but the one that runs the query, and at least one.
    return std::clamp(std::thread::hardware_concurrency(), 2u, mostHelpers + 1) - 1;
}

} // namespace

void letSqliteSortInParallel(SQLHDBC connection)
{
    SQLHSTMT raw = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &raw)))
        return;
    const odbc::Handle statement(SQL_HANDLE_STMT, raw);
    std::vector<SQLWCHAR> sql =
        odbc::toWide(QStringLiteral("PRAGMA threads = %1").arg(helperCount()));
    SQLExecDirectW(raw, sql.data(), SQL_NTS);
}

} // namespace kestrelon
