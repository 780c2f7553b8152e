// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OdbcApi.h"

namespace kestrelon {

// Lets SQLite sort on more than one thread for this connection. A large
// ordered row set is sorted in full before its first row comes, while the
// window's thread waits; helper threads shorten that wait. The setting
// lasts as long as the connection and writes nothing. A hint: an SQLite
// built without threads, or a driver that refuses it, sorts as before.
void letSqliteSortInParallel(SQLHDBC connection);

} // namespace kestrelon
