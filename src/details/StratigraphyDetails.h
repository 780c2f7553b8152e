#pragma once

#include "tree/TreeModel.h"

namespace kestrelon {

class DetailsOutput;
struct SourceState;

// Shows a stratigraphic unit: writes its name and rank on the first line,
// then rewinds source.StratRows and, for every row whose "strat_name" equals
// the node's text exactly, appends that row's minimum and maximum age as two
// more lines. With no stratigraphic rows open, only the first line is written.
void listStratigraphy(SourceState &source, const TreeModel &tree, TreeModel::Node selected,
                      DetailsOutput &output);

} // namespace kestrelon
