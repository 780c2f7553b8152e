// SPDX-License-Identifier: GPL-3.0-or-later
#include "DefineRouting.h"

#include "data/FieldValue.h"

namespace kestrelon {

bool isLithologyPath(const QString &fullPath)
{
    const QString prefix = left(fullPath, int(LithologyRootText.size()));
    return equals(FieldValue::text(prefix), FieldValue::text(LithologyRootText));
}

} // namespace kestrelon
