#include "LithologyBuilder.h"

#include "HierarchyBuilder.h"

namespace kestrelon {

namespace {

bool oneLevelBelow(const FieldValue &level, const FieldValue &parentLevel)
{
    return equals(subtract(level, parentLevel), FieldValue::whole(1));
}

} // namespace

BuildReport buildLithology(Recordset &rows, TreeModel &tree)
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
    return buildHierarchy(rows, tree, rules);
}

} // namespace kestrelon
