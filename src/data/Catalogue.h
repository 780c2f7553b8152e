// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OdbcApi.h"
#include <QString>
#include <QStringList>

namespace kestrelon {
class Database;
}

namespace kestrelon::catalogue {

// The names of the tables and views the data source's catalogue lists, in
// its order, each once. Raises an Error when the catalogue cannot be read.
QStringList listedRowSets(Database &database);

// `name` quoted as the driver quotes identifiers, any quote inside it
// doubled; unchanged when the driver has no identifier quote.
QString quotedIdentifier(SQLHDBC connection, const QString &name);

} // namespace kestrelon::catalogue
