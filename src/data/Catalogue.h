// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OdbcApi.h"
#include <QString>
#include <QStringList>

namespace kestrelon {
class Database;
}

namespace kestrelon::catalogue {

// The spellings under which the data source's catalogue lists tables and
// views named like `name` without regard to case: the exact spelling first,
// then the others in the catalogue's order. Raises an Error when the
// catalogue cannot be read.
QStringList spellingsOf(Database &database, const QString &name);

// `name` quoted as the driver quotes identifiers, any quote inside it
// doubled; unchanged when the driver has no identifier quote.
QString quotedIdentifier(SQLHDBC connection, const QString &name);

// Whether a query of the row set by this SQL name runs for this connection:
// a name the catalogue lists may still lie in a schema that the login may
// not use, or that is not on its search path. A query that runs out of time
// raises its Error.
bool canSelectFrom(Database &database, const QString &sqlName);

} // namespace kestrelon::catalogue
