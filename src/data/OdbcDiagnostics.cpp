// SPDX-License-Identifier: GPL-3.0-or-later
#include "OdbcDiagnostics.h"

#include "OdbcText.h"

#include "OdbcApi.h"
#include <QStringList>
#include <algorithm>

namespace kestrelon::odbc {

namespace {

// SQLSTATEs of a time limit running out: the ODBC query and connection
// time-outs, and PostgreSQL's statement time-out (57014, query_canceled).
bool isTimeOut(const QString &state)
{
    return state == QLatin1String("HYT00") || state == QLatin1String("HYT01") ||
           state == QLatin1String("57014");
}

// Connection exceptions (class 08), and PostgreSQL ending the session
// (57P01 admin_shutdown, 57P02 crash_shutdown).
bool isConnectionGone(const QString &state)
{
    return state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01") ||
           state == QLatin1String("57P02");
}

// The SQLSTATE of each diagnostic record of the last call on a handle.
QStringList states(SQLSMALLINT handleType, SQLHANDLE handle)
{
    QStringList found;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(
                SQLGetDiagRecW(handleType, handle, record, state, &native, nullptr, 0, &length)))
            return found;
        found << fromWide(state, 5);
    }
}

} // namespace

Error diagnosticError(SQLSMALLINT handleType, SQLHANDLE handle, const QString &context,
                      const QString &secret)
{
    int number = 0;
    bool timedOut = false;
    QStringList messages;
    for (SQLSMALLINT record = 1; record <= 8; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR message[1024] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(handleType, handle, record, state, &native, message,
                                            SQLSMALLINT(std::size(message)), &length);
        if (!SQL_SUCCEEDED(rc))
            break;
        if (number == 0)
            number = native;
        timedOut = timedOut || isTimeOut(fromWide(state, 5));
        const qsizetype shown = qMin<qsizetype>(length, qsizetype(std::size(message)) - 1);
        messages << QStringLiteral("[%1] %2").arg(fromWide(state, 5), fromWide(message, shown));
    }
    QString description = context;
    if (!messages.isEmpty())
        description += QStringLiteral(": ") + messages.join(QStringLiteral("; "));
    if (!secret.isEmpty())
        description.replace(secret, QStringLiteral("****"));
    if (timedOut)
        return Error(TimedOut, description);
    return Error(number != 0 ? number : OdbcCallFailed, description);
}

bool lostConnection(SQLHSTMT statement, SQLHDBC connection)
{
    const QStringList found = states(SQL_HANDLE_STMT, statement);
    if (std::any_of(found.begin(), found.end(), isConnectionGone))
        return true;
    SQLUINTEGER dead = SQL_CD_FALSE;
    return SQL_SUCCEEDED(
               SQLGetConnectAttrW(connection, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) &&
           dead == SQL_CD_TRUE;
}

} // namespace kestrelon::odbc
