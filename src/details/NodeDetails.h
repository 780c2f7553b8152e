// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/Error.h"
#include "data/FieldValue.h"

#include <QString>
#include <optional>

namespace kestrelon {

// What "Define" knows of the selected node before it reads the data source:
// the node's text and the value its node keeps to show.
struct SelectedNode
{
    FieldValue text;
    FieldValue tag;
};

// What "Define" shows: the description box's text (lines separated by
// CR LF) and the level label's caption (empty to clear it), or the error
// that ended the request, which then changes neither.
struct NodeDetails
{
    std::optional<QString> description;
    std::optional<QString> levelCaption;
    std::optional<Error> error;
};

// The description's first line: the node's text and its tag.
QString firstDescriptionLine(const SelectedNode &node);

} // namespace kestrelon
