// SPDX-License-Identifier: GPL-3.0-or-later
#include "Catalogue.h"

#include "Database.h"
#include "OdbcHandle.h"
#include "OdbcText.h"
#include "Utf8Text.h"

#include "OdbcApi.h"

namespace kestrelon::catalogue {

QStringList listedRowSets(Database &database)
{
    const odbc::Handle statement(SQL_HANDLE_STMT,
                                 database.allocateStatement(*database.connection()));
    const SQLHSTMT raw = statement.get();
    const QString context = QStringLiteral("Cannot read the catalogue");
    const Watchdog::Watch watched = database.watch(raw); // the catalogue is read in one go
    auto types = odbc::toWide(QStringLiteral("TABLE,VIEW"));
    if (!SQL_SUCCEEDED(SQLTablesW(raw, nullptr, 0, nullptr, 0, nullptr, 0, types.data(), SQL_NTS)))
        throw database.failure(raw, context, watched.ranOut());
    const bool wide = database.handsWideText();
    QStringList names;
    for (;;) {
        const SQLRETURN rc = SQLFetch(raw);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            throw database.failure(raw, context, watched.ranOut());
        SQLWCHAR buffer[1024] = {};
        SQLLEN length = 0;
        constexpr SQLUSMALLINT tableNameColumn = 3;
        // A name too long for the buffer is not one the program looks for.
        if (!SQL_SUCCEEDED(SQLGetData(raw, tableNameColumn, wide ? SQL_C_WCHAR : SQL_C_CHAR, buffer,
                                      sizeof buffer, &length)) ||
            length <= 0 || length >= SQLLEN(sizeof buffer))
            continue;
        names << (wide ? odbc::fromWide(buffer, qsizetype(length) / 2)
                       : textOfUtf8(QByteArrayView(reinterpret_cast<const char *>(buffer),
                                                   qsizetype(length))));
    }
    names.removeDuplicates();
    return names;
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

} // namespace kestrelon::catalogue
