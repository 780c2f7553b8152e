// SPDX-License-Identifier: GPL-3.0-or-later
#include "HierarchyBuilder.h"

#include "RowReadAhead.h"
#include "TreeModel.h"

#include "data/Error.h"
#include "data/NumberText.h"
#include "data/Recordset.h"

#include <charconv>
#include <cmath>
#include <iterator>

namespace kestrelon {

namespace {

// The text a cell contributes to a concatenation, appended to `out`.
void appendText(KeyText &out, const RowCell &cell)
{
    if (cell.isText()) {
        cell.text().visit([&out](auto characters) { out.append(characters); });
        return;
    }
    const FieldValue &value = cell.value();
    if (value.kind() == FieldValue::Kind::Whole) {
        char digits[24];
        const auto end = std::to_chars(std::begin(digits), std::end(digits), value.wholeNumber());
        out.append(QLatin1StringView(digits, end.ptr - digits));
    } else {
        out.append(QStringView(value.toText()));
    }
}

Error nullKey()
{
    return Error(InvalidKey, QStringLiteral("Invalid key: the key is Null"));
}

// The key that a name and an id make, concat(name, id) as text, written into
// `buffer`, which keeps its room from row to row.
QAnyStringView keyText(KeyText &buffer, const RowCell &name, const RowCell &id)
{
    if (name.isNull() && id.isNull())
        throw nullKey();
    buffer.clear();
    appendText(buffer, name);
    appendText(buffer, id);
    return buffer.view();
}

QString shown(const FieldValue &value)
{
    return value.isNull() ? QStringLiteral("Null") : value.toText();
}

// Levels are numbers; a text that spells none, or a NaN, is not a level.
bool isNotANumber(const FieldValue &level)
{
    switch (level.kind()) {
    case FieldValue::Kind::Null:
    case FieldValue::Kind::Whole:
        return false;
    case FieldValue::Kind::Fractional:
        return std::isnan(level.fractionalNumber());
    default:
        return !parseNumber(level.textView());
    }
}

} // namespace

RowPlacer::RowPlacer(TreeModel &tree, const HierarchyRules &rules)
    : tree_(tree), rules_(rules), rootHash_(TreeModel::hashOfKey(rules.rootKey))
{
}

TreeModel::KeyLookahead RowPlacer::prepare(const HierarchyRow &row, Keys &keys)
{
    keys.hasOwn = !(row.name.isNull() && row.id.isNull());
    if (keys.hasOwn) {
        keys.ownHash = TreeModel::hashOfKey(keyText(keys.own, row.name, row.id));
        tree_.startLookup(keys.ownHash);
    }
    // First-level rows have no parent; the root stays at hand.
    keys.hasParent = !(row.parent.isNull() && row.parentId.isNull());
    if (!keys.hasParent)
        return {};
    keys.parentHash = TreeModel::hashOfKey(keyText(keys.parent, row.parent, row.parentId));
    return tree_.startLookup(keys.parentHash);
}

void RowPlacer::place(const HierarchyRow &row, const Keys &keys)
{
    const FieldValue &level = row.level.value();
    if (equals(level, rules_.firstLevel)) {
        addNode(rules_.rootKey, rootHash_, row, keys);
    } else if (rules_.isChild(level, row.parentLevel.value())) {
        if (!keys.hasParent)
            throw nullKey();
        addNode(keys.parent.view(), keys.parentHash, row, keys);
    } else if (isNotANumber(level))
        // Without a parent level the child test cannot see this; the row
        // would vanish unnamed, and its children be blamed in its stead.
        throw Error(
            TypeMismatch,
            QStringLiteral("Type mismatch: the level \"%1\" is not a number").arg(level.toText()));
}

QString RowPlacer::leftOut(const HierarchyRow &row, const Error &error)
{
    const bool keyed = !(row.name.isNull() && row.id.isNull());
    if (keyed) {
        const QString key = keyText(ownKey_, row.name, row.id).toString();
        if (tree_.find(key) == TreeModel::NoNode)
            leftOutKeys_.insert(key);
    }
    if (error.number() == RelativeNotFound) {
        const QString parentKey = keyText(parentKey_, row.parent, row.parentId).toString();
        if (leftOutKeys_.contains(parentKey))
            return QStringLiteral("Element not found: its parent \"%1\" was left out")
                .arg(parentKey);
    }
    return error.description();
}

void RowPlacer::addNode(QAnyStringView relativeKey, size_t relativeHash, const HierarchyRow &row,
                        const Keys &keys)
{
    if (!keys.hasOwn)
        throw nullKey();
    // A text name is passed as it stands; any other is spelt out first.
    const bool textName = row.name.isText();
    const QString spelt = textName ? QString() : row.name.value().toText();
    const TreeModel::Node node =
        tree_.addChild(relativeKey, relativeHash, keys.own.view(), keys.ownHash,
                       textName ? row.name.text() : QAnyStringView(spelt), 1);
    if (row.tag.isText())
        tree_.setTagText(node, row.tag.text());
    else
        tree_.setTag(node, row.tag.value());
}

BuildReport buildHierarchy(Recordset &rows, TreeModel &tree, const HierarchyRules &rules)
{
    CursorRowSource source(rows, *rules.layout, rules.rewinds);
    return buildHierarchy(source, tree, rules);
}

BuildReport buildHierarchy(HierarchyRowSource &rows, TreeModel &tree, const HierarchyRules &rules)
{
    // Views learn of the whole build at once, not row by row.
    const TreeModel::BulkInsertion bulk(tree);
    addRoot(tree, rules);
    return placeRows(rows, tree, rules);
}

void addRoot(TreeModel &tree, const HierarchyRules &rules)
{
    const TreeModel::BulkInsertion bulk(tree);
    tree.addRoot(rules.rootKey, rules.rootText);
    tree.setExpanded(tree.item(rules.rootKey), true);
    if (rules.sortsFirstLevel)
        tree.setSorted(tree.item(rules.rootKey), true);
}

BuildReport placeRows(HierarchyRowSource &rows, TreeModel &tree, const HierarchyRules &rules)
{
    BuildReport report(rules.rootText);
    const TreeModel::BulkInsertion bulk(tree);
    RowPlacer placer(tree, rules);
    RowReadAhead ahead(rows, tree, placer);
    while (const auto *item = ahead.next()) {
        const HierarchyRow &row = item->row;
        try {
            placer.place(row, item->keys);
        } catch (const Error &error) {
            report.skip({shown(row.name.value()), shown(row.id.value()),
                         shown(concat(row.parent.value(), row.parentId.value())),
                         placer.leftOut(row, error)});
        }
    }

    tree.setExpanded(tree.item(rules.rootKey), true);
    return report;
}

} // namespace kestrelon
