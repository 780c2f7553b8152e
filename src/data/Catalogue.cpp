#include "Catalogue.h"

#include "OdbcDiagnostics.h"
#include "OdbcHandle.h"
#include "OdbcText.h"

#include <memory>
#include <sqlext.h>

namespace kestrelon::catalogue {

namespace {

std::unique_ptr<odbc::Handle> newStatement(SQLHDBC connection, const QString &secret)
{
    SQLHSTMT raw = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &raw)))
        throw odbc::diagnosticError(SQL_HANDLE_DBC, connection,
                                    QStringLiteral("Cannot read the catalogue"), secret);
    return std::make_unique<odbc::Handle>(SQL_HANDLE_STMT, raw);
}

} // namespace

QStringList spellingsOf(SQLHDBC connection, const QString &name, const QString &secret)
{
    const auto statement = newStatement(connection, secret);
    const SQLHSTMT raw = statement->get();
    auto types = odbc::toWide(QStringLiteral("TABLE,VIEW"));
    if (!SQL_SUCCEEDED(SQLTablesW(raw, nullptr, 0, nullptr, 0, nullptr, 0, types.data(), SQL_NTS)))
        throw odbc::diagnosticError(SQL_HANDLE_STMT, raw,
                                    QStringLiteral("Cannot read the catalogue"), secret);
    QStringList exact;
    QStringList alike;
    for (;;) {
        const SQLRETURN rc = SQLFetch(raw);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            throw odbc::diagnosticError(SQL_HANDLE_STMT, raw,
                                        QStringLiteral("Cannot read the catalogue"), secret);
        SQLWCHAR buffer[1024] = {};
        SQLLEN length = 0;
        constexpr SQLUSMALLINT tableNameColumn = 3;
        // A name too long for the buffer is not one the program looks for.
        if (!SQL_SUCCEEDED(
                SQLGetData(raw, tableNameColumn, SQL_C_WCHAR, buffer, sizeof buffer, &length)) ||
            length <= 0 || length >= SQLLEN(sizeof buffer))
            continue;
        const QString listed = odbc::fromWide(buffer, qsizetype(length) / 2);
        if (listed == name) {
            if (!exact.contains(listed))
                exact << listed;
        } else if (listed.compare(name, Qt::CaseInsensitive) == 0 && !alike.contains(listed)) {
            alike << listed;
        }
    }
    return exact + alike;
}

QString quotedIdentifier(SQLHDBC connection, const QString &name)
{
    SQLWCHAR quote[8] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(
            SQLGetInfoW(connection, SQL_IDENTIFIER_QUOTE_CHAR, quote, sizeof quote, &length)))
        return name;
    const QString mark =
        odbc::fromWide(quote, qMin<qsizetype>(length / 2, qsizetype(std::size(quote)) - 1))
            .trimmed();
    if (mark.isEmpty())
        return name;
    QString doubled = name;
    doubled.replace(mark, mark + mark);
    return mark + doubled + mark;
}

bool canSelectFrom(SQLHDBC connection, const QString &sqlName)
{
    SQLHSTMT raw = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &raw)))
        return false;
    const odbc::Handle statement(SQL_HANDLE_STMT, raw);
    // No row is asked for: only whether the name resolves and may be read.
    auto query = odbc::toWide(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(sqlName));
    const SQLRETURN rc = SQLExecDirectW(raw, query.data(), SQL_NTS);
    return SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA;
}

} // namespace kestrelon::catalogue
