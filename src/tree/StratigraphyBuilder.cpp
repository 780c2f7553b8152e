// SPDX-License-Identifier: GPL-3.0-or-later
#include "StratigraphyBuilder.h"

#include "HierarchyBuilder.h"

namespace kestrelon {

namespace {

// Both comparisons are always made; a Null difference makes the test false.
bool rankOrHalfRankBelow(const FieldValue &level, const FieldValue &parentLevel)
{
    const FieldValue difference = subtract(level, parentLevel);
    return condition(orOf(equalsValue(difference, FieldValue::whole(100)),
                          equalsValue(difference, FieldValue::whole(50))));
}

} // namespace

const HierarchyRules &stratigraphyRules()
{
    static const HierarchyRules rules{
        QStringLiteral("Strat"),
        QStringLiteral("Stratigraphic Age"),
        &StratRow,
        FieldValue::whole(100),
        &rankOrHalfRankBelow,
        /*sortsFirstLevel=*/false,
        /*rewinds=*/true,
    };
    return rules;
}

BuildReport buildStratigraphy(Recordset &rows, TreeModel &tree)
{
    return buildHierarchy(rows, tree, stratigraphyRules());
}

} // namespace kestrelon
