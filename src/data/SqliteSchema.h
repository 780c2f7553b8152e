// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OdbcApi.h"
#include <QString>
#include <optional>

namespace kestrelon {

// SQLite's number for the version of a database's schema, which every
// change of a table or view moves on. A connection describes a query by the
// schema as it last read it: the first query after another program changed
// the schema is described as it was before, however it runs.
//
// The version as the connection reads it now; nothing when the driver
// cannot say.
std::optional<qint64> sqliteSchemaVersion(SQLHDBC connection);

// An expression that gives the schema's version where a query runs, for a
// column of its own: the rows of a query then tell which schema they come
// from.
QString sqliteSchemaVersionExpression();

} // namespace kestrelon
