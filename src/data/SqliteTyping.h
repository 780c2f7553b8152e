// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OdbcApi.h"

namespace kestrelon {

// Whether SQLite's ODBC driver describes a result's columns on this
// connection by their declared types alone, as text where a column declares
// none. It does so for a query without parameters when it steps through the
// rows (its StepAPI setting); otherwise it reads the whole result first and
// types an undeclared column by that column's first value, so that two
// queries of one row set may type it differently. Asked once, with a query
// that declares nothing and returns a number; false when the driver cannot
// say.
bool sqliteTypesByDeclaration(SQLHDBC connection);

} // namespace kestrelon
