#include "HierarchyBuilder.h"

#include "TreeModel.h"

#include "data/Error.h"
#include "data/Recordset.h"

#include <optional>

namespace kestrelon {

namespace {

QString keyText(const FieldValue &key)
{
    if (key.isNull())
        throw Error(InvalidKey, QStringLiteral("Invalid key: the key is Null"));
    return key.toText();
}

QString shown(const FieldValue &value)
{
    return value.isNull() ? QStringLiteral("Null") : value.toText();
}

void addNode(TreeModel &tree, const QString &relativeKey, const HierarchyRow &row)
{
    const QString key = keyText(concat(row.name, row.id));
    const TreeModel::Node node = tree.addChild(relativeKey, key, row.name.toText(), 1);
    tree.setTag(node, row.tag);
}

} // namespace

void placeRow(TreeModel &tree, const HierarchyRules &rules, const HierarchyRow &row)
{
    if (equals(row.level, rules.firstLevel))
        addNode(tree, rules.rootKey, row);
    else if (rules.isChild(row.level, row.parentLevel))
        addNode(tree, keyText(concat(row.parent, row.parentId)), row);
}

BuildReport buildHierarchy(Recordset &rows, TreeModel &tree, const HierarchyRules &rules)
{
    BuildReport report(rules.rootText);
    tree.addRoot(rules.rootKey, rules.rootText);
    tree.setExpanded(tree.item(rules.rootKey), true);
    if (rules.sortsFirstLevel)
        tree.setSorted(tree.item(rules.rootKey), true);
    if (rules.rewinds)
        rows.moveFirst();

    std::optional<HierarchyRowReader> reader;
    while (!rows.eof()) {
        if (!reader)
            reader.emplace(rows, *rules.layout);
        const HierarchyRow row = reader->read(rows);
        try {
            placeRow(tree, rules, row);
        } catch (const Error &error) {
            report.skip({shown(row.name), shown(row.id), shown(concat(row.parent, row.parentId)),
                         error.description()});
        }
        rows.moveNext();
    }

    tree.setExpanded(tree.item(rules.rootKey), true);
    return report;
}

} // namespace kestrelon
