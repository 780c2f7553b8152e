// SPDX-License-Identifier: GPL-3.0-or-later
#include "NodeDetails.h"

namespace kestrelon {

QString firstDescriptionLine(const SelectedNode &node)
{
    return concat(concat(node.text, FieldValue::text(QStringLiteral(": "))), node.tag).toText();
}

} // namespace kestrelon
