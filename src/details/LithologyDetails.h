#pragma once

#include "tree/TreeModel.h"

namespace kestrelon {

class DetailsOutput;
struct SourceState;

// Shows a lithology term: writes its name and description, then reads
// "QryLithParent" anew from its first row to its end and shows the level of
// every row whose name, spaces trimmed, equals the term's, so the last such
// row wins. The new cursor replaces source.LithRows. Errors end the request
// with what was written so far left in place.
void listLithology(SourceState &source, const TreeModel &tree, TreeModel::Node selected,
                   DetailsOutput &output);

} // namespace kestrelon
