// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BuildReport.h"

namespace kestrelon {

class Recordset;
class TreeModel;
struct HierarchyRules;

// Fills the tree with the stratigraphic hierarchy under the root
// "Stratigraphic Age" (key "Strat"), children in row order. Level 100 rows go
// under the root; a row 100 or 50 levels below its parent goes under the
// parent's node. Moves the cursor to its first row, then reads it to its end.
BuildReport buildStratigraphy(Recordset &rows, TreeModel &tree);

// The rules that build uses, for placing rows one by one.
const HierarchyRules &stratigraphyRules();

} // namespace kestrelon
