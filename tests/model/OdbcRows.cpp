// SPDX-License-Identifier: GPL-3.0-or-later
#include "OdbcRows.h"

#include <sqlext.h>
#include <vector>

namespace model {

namespace {

std::vector<SQLWCHAR> wide(const QString &text)
{
    std::vector<SQLWCHAR> units(text.utf16(), text.utf16() + text.size());
    units.push_back(0);
    return units;
}

QString fromWide(const SQLWCHAR *units, qsizetype count)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(units), count);
}

// A cell as text, read in pieces however long it is; nothing for Null.
std::optional<QString> cellText(SQLHSTMT statement, SQLUSMALLINT column)
{
    QString text;
    std::vector<SQLWCHAR> buffer(512);
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(statement, column, SQL_C_WCHAR, buffer.data(),
                                        SQLLEN(buffer.size() * sizeof(SQLWCHAR)), &indicator);
        if (rc == SQL_NO_DATA)
            return text;
        if (!SQL_SUCCEEDED(rc))
            return QStringLiteral("<cannot read>");
        if (indicator == SQL_NULL_DATA)
            return std::nullopt;
        const qsizetype room = qsizetype(buffer.size()) - 1;
        if (indicator != SQL_NO_TOTAL && indicator / qsizetype(sizeof(SQLWCHAR)) <= room) {
            text += fromWide(buffer.data(), indicator / qsizetype(sizeof(SQLWCHAR)));
            return text;
        }
        text += fromWide(buffer.data(), room);
    }
}

} // namespace

int RowSetRead::column(const QString &name) const
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Value RowSetRead::value(int row, const QString &name) const
{
    const int at = column(name);
    return at < 0 ? Value::null() : cellValue(rows.at(row).at(at), classes.at(at));
}

OdbcConnection::OdbcConnection(const QString &dataSource, const QString &user,
                               const QString &password)
{
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment_);
    SQLSetEnvAttr(environment_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                  0);
    SQLAllocHandle(SQL_HANDLE_DBC, environment_, &connection_);
    auto text = wide(QStringLiteral("DSN=%1;UID=%2;PWD=%3").arg(dataSource, user, password));
    open_ = SQL_SUCCEEDED(SQLDriverConnectW(connection_, nullptr, text.data(), SQL_NTS, nullptr, 0,
                                            nullptr, SQL_DRIVER_NOPROMPT));
}

OdbcConnection::~OdbcConnection()
{
    if (open_)
        SQLDisconnect(connection_);
    SQLFreeHandle(SQL_HANDLE_DBC, connection_);
    SQLFreeHandle(SQL_HANDLE_ENV, environment_);
}

std::optional<RowSetRead> OdbcConnection::read(const QString &sql, bool scrollable) const
{
    SQLHSTMT statement = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection_, &statement)))
        return std::nullopt;
    if (scrollable)
        SQLSetStmtAttrW(statement, SQL_ATTR_CURSOR_SCROLLABLE,
                        reinterpret_cast<SQLPOINTER>(SQL_SCROLLABLE), 0);
    auto query = wide(sql);
    std::optional<RowSetRead> read;
    if (SQL_SUCCEEDED(SQLExecDirectW(statement, query.data(), SQL_NTS))) {
        read.emplace();
        SQLSMALLINT count = 0;
        SQLNumResultCols(statement, &count);
        for (SQLUSMALLINT i = 1; i <= count; ++i) {
            SQLWCHAR name[256] = {};
            SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            SQLDescribeColW(statement, i, name, 256, &length, &type, &size, &digits, &nullable);
            read->columns << fromWide(name, qMin<qsizetype>(length, 255));
            read->classes << classOfSqlType(type);
        }
        while (SQL_SUCCEEDED(SQLFetch(statement))) {
            QList<std::optional<QString>> row;
            for (SQLUSMALLINT i = 1; i <= count; ++i)
                row << cellText(statement, i);
            read->rows << row;
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return read;
}

} // namespace model
