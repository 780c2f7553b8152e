// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ModelValue.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <sql.h>

namespace model {

// The rows of one query as a driver returns them, in its order, each cell
// as text, with how the driver describes each column.
struct RowSetRead
{
    QStringList columns;
    QList<ColumnClass> classes;
    QList<QList<std::optional<QString>>> rows;

    // The first column of this name, whatever its case; -1 when there is none.
    int column(const QString &name) const;
    Value value(int row, const QString &name) const;
};

// A connection of the test's own to an ODBC data source, through the
// driver manager and bare ODBC calls, as a user's tool would read it.
class OdbcConnection
{
public:
    OdbcConnection(const QString &dataSource, const QString &user, const QString &password);
    ~OdbcConnection();
    OdbcConnection(const OdbcConnection &) = delete;
    OdbcConnection &operator=(const OdbcConnection &) = delete;

    bool isOpen() const { return open_; }
    // Every row of the query; `scrollable` asks for a cursor that can move
    // back, which some drivers read otherwise. Nothing when the query fails.
    std::optional<RowSetRead> read(const QString &sql, bool scrollable) const;

private:
    SQLHENV environment_ = SQL_NULL_HENV;
    SQLHDBC connection_ = SQL_NULL_HDBC;
    bool open_ = false;
};

} // namespace model
