#include "OdbcDiagnostics.h"

#include "OdbcText.h"

#include <QStringList>
#include <sqlext.h>

namespace kestrelon::odbc {

Error diagnosticError(SQLSMALLINT handleType, SQLHANDLE handle, const QString &context,
                      const QString &secret)
{
    int number = 0;
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
        const qsizetype shown = qMin<qsizetype>(length, qsizetype(std::size(message)) - 1);
        messages << QStringLiteral("[%1] %2").arg(fromWide(state, 5), fromWide(message, shown));
    }
    QString description = context;
    if (!messages.isEmpty())
        description += QStringLiteral(": ") + messages.join(QStringLiteral("; "));
    if (!secret.isEmpty())
        description.replace(secret, QStringLiteral("****"));
    return Error(number != 0 ? number : OdbcCallFailed, description);
}

bool hasState(SQLSMALLINT handleType, SQLHANDLE handle, const char *wanted)
{
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(
                SQLGetDiagRecW(handleType, handle, record, state, &native, nullptr, 0, &length)))
            return false;
        if (fromWide(state, 5) == QLatin1String(wanted))
            return true;
    }
}

} // namespace kestrelon::odbc
