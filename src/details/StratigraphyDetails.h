// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NodeDetails.h"

namespace kestrelon {

class Recordset;

// The details of a stratigraphic unit: its name and rank on the first line,
// then, for every row of `rows` (rewound first) whose "strat_name" equals the
// unit's text exactly, that row's minimum and maximum age as two more lines.
// Without stratigraphic rows (`rows` null), only the first line. A unit has
// no level: the level caption is empty. An error ends the request: the
// details then hold only the error.
NodeDetails stratigraphyDetails(Recordset *rows, const SelectedNode &unit);

} // namespace kestrelon
