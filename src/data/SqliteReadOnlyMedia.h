// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OdbcApi.h"

#include <QString>
#include <optional>

namespace kestrelon {

// A SQLite file in write-ahead-log mode cannot be read where its folder
// cannot be written: SQLite creates a shared-memory file beside it even to
// read. On a read-only file system (a CD, a read-only mount) nothing can
// change the file either, so SQLite may read it as immutable, without that
// file and without locks.
//
// For a connection to such a file: the name to open it by instead, as a URI
// that says so ("file:///media/v.db?immutable=1"); nothing for any other
// connection or file, or when the driver cannot say which file it opened.
std::optional<QString> immutableSqliteName(SQLHDBC connection);

} // namespace kestrelon
