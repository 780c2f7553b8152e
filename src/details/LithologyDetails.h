// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NodeDetails.h"

#include <memory>

namespace kestrelon {

class Database;
class Recordset;

// The details of a lithology term: its name and description, and the level
// of the last row of "QryLithParent", read anew from its first row to its end
// in the row set's own order, whose name, spaces trimmed, equals the term's;
// an empty caption when no row has its name. One query for only the rows
// whose name may match answers where it can: when no row or rows of one
// level match, and where the server numbers the rows in the row set's own
// order. Otherwise the whole row set is read. The new cursor replaces
// `rows`. An error ends the request: the details then hold only the error,
// and the window keeps what it showed.
NodeDetails lithologyDetails(Database &database, std::shared_ptr<Recordset> &rows,
                             const SelectedNode &term);

} // namespace kestrelon
