// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BuildReport.h"

namespace kestrelon {

class Recordset;
class TreeModel;
struct HierarchyRules;

// Fills the tree with the lithology hierarchy under the root "Lithology
// Version 6" (key "lith6"), which keeps its children in alphabetical order.
// Level 1 rows go under the root; a row one level below its parent goes
// under the parent's node. Reads the cursor from where it stands to its end.
BuildReport buildLithology(Recordset &rows, TreeModel &tree);

// The rules that build uses, for placing rows one by one.
const HierarchyRules &lithologyRules();

} // namespace kestrelon
