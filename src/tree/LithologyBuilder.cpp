// SPDX-License-Identifier: GPL-3.0-or-later
#include "LithologyBuilder.h"

#include "HierarchyBuilder.h"

namespace kestrelon {

namespace {

bool oneLevelBelow(const FieldValue &level, const FieldValue &parentLevel)
{
    return equals(subtract(level, parentLevel), FieldValue::whole(1));
}

} // namespace

const HierarchyRules &lithologyRules()
{
    static const HierarchyRules rules{
        QStringLiteral("lith6"),
        QStringLiteral("Lithology Version 6"),
        &LithRow,
        FieldValue::whole(1),
        &oneLevelBelow,
        /*sortsFirstLevel=*/true,
        /*rewinds=*/false,
    };
    return rules;
}

BuildReport buildLithology(Recordset &rows, TreeModel &tree)
{
    return buildHierarchy(rows, tree, lithologyRules());
}

} // namespace kestrelon
