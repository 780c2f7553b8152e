// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace kestrelon {

// The text of the lithology root; a node belongs to the lithology hierarchy
// when its full path begins with it.
inline const QString LithologyRootText = QStringLiteral("Lithology Version 6");

// Whether "Define" shows a node with this full path as a lithology term: its
// first 19 characters are exactly the lithology root's text, case included.
// Every other node is shown as a stratigraphic unit.
bool isLithologyPath(const QString &fullPath);

} // namespace kestrelon
