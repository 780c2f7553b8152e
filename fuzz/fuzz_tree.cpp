// SPDX-License-Identifier: GPL-3.0-or-later
// Random rows placed by the two builders' rules into one tree model, as a
// data source in any order and of any content could deliver them. Checks
// that a row either becomes exactly the node it describes or is refused
// with an Error that leaves the tree as it was, and that the model stays
// consistent for the view.

#include "FuzzValues.h"

#include "data/Error.h"
#include "data/HierarchyRow.h"
#include "tree/HierarchyBuilder.h"
#include "tree/LithologyBuilder.h"
#include "tree/StratigraphyBuilder.h"
#include "tree/TreeModel.h"

#include <QAbstractItemModelTester>

using namespace kestrelon;
using fuzzing::fuzzedValue;

namespace {

// Few names, ids and levels, so that keys collide and parents are found.
FieldValue fuzzedName(FuzzedDataProvider &data)
{
    static const char *names[] = {"A", "a", "B", "A1", "1", "lith", "Strat", " A ", ""};
    switch (data.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return FieldValue::null();
    case 1:
        return fuzzedValue(data);
    default:
        return FieldValue::text(
            QString::fromUtf8(names[data.ConsumeIntegralInRange<size_t>(0, std::size(names) - 1)]));
    }
}

FieldValue fuzzedSmallNumber(FuzzedDataProvider &data, int highest, int step)
{
    switch (data.ConsumeIntegralInRange(0, 4)) {
    case 0:
        return FieldValue::null();
    case 1:
        return fuzzedValue(data);
    case 2:
        return FieldValue::text(QString::number(data.ConsumeIntegralInRange(0, highest) * step));
    default:
        return FieldValue::whole(data.ConsumeIntegralInRange(0, highest) * step);
    }
}

// A cell holding the value, text as a value or in the single bytes a block
// may bring it in: keys and texts must come out the same either way.
void fill(RowCell &cell, FuzzedDataProvider &data, const FieldValue &value)
{
    cell = value;
    if (value.kind() != FieldValue::Kind::Text)
        return;
    const QString text = value.textView().toString();
    switch (data.ConsumeIntegralInRange(0, 2)) {
    case 0:
        if (QString::fromLatin1(text.toLatin1()) == text)
            cell.assignLatin1(QLatin1StringView(text.toLatin1()));
        break;
    case 1:
        cell.assignUtf8(QUtf8StringView(text.toUtf8()));
        break;
    default:
        break;
    }
}

HierarchyRow fuzzedRow(FuzzedDataProvider &data, int levelStep)
{
    HierarchyRow row;
    fill(row.name, data, fuzzedName(data));
    fill(row.parent, data, fuzzedName(data));
    fill(row.level, data, fuzzedSmallNumber(data, 4, levelStep));
    fill(row.id, data, fuzzedSmallNumber(data, 6, 1));
    fill(row.parentId, data, fuzzedSmallNumber(data, 6, 1));
    fill(row.parentLevel, data, fuzzedSmallNumber(data, 4, levelStep));
    fill(row.tag, data, fuzzedValue(data));
    return row;
}

void checkNode(const TreeModel &tree, TreeModel::Node node)
{
    FUZZ_CHECK(tree.find(tree.key(node)) == node);
    FUZZ_CHECK(tree.nodeAt(tree.indexOf(node)) == node);
    const TreeModel::Node parent = tree.parentOf(node);
    const int row = tree.indexOf(node).row();
    if (parent == TreeModel::NoNode) {
        FUZZ_CHECK(tree.fullPath(node) == tree.text(node));
        return;
    }
    FUZZ_CHECK(tree.childAt(parent, row) == node);
    FUZZ_CHECK(tree.fullPath(node) ==
               tree.fullPath(parent) + TreeModel::PathSeparator + tree.text(node));
    if (tree.isSorted(parent) && row > 0)
        FUZZ_CHECK(tree.text(tree.childAt(parent, row - 1))
                       .compare(tree.text(node), Qt::CaseInsensitive) <= 0);
}

// The same value, a NaN included.
bool sameValue(const FieldValue &a, const FieldValue &b)
{
    return a.kind() == b.kind() && a.toText() == b.toText();
}

// The row became the node it describes, under the node it names.
void checkPlaced(const TreeModel &tree, const HierarchyRules &rules, const HierarchyRow &row)
{
    const TreeModel::Node node = TreeModel::Node(tree.nodeCount() - 1);
    FUZZ_CHECK(tree.key(node) == concat(row.name.value(), row.id.value()).toText());
    FUZZ_CHECK(tree.text(node) == row.name.value().toText());
    FUZZ_CHECK(sameValue(tree.tag(node), row.tag.value()));
    FUZZ_CHECK(tree.image(node) == 1);
    FUZZ_CHECK(!tree.isExpanded(node));
    const QString parentKey = equals(row.level.value(), rules.firstLevel)
                                  ? rules.rootKey
                                  : concat(row.parent.value(), row.parentId.value()).toText();
    FUZZ_CHECK(tree.key(tree.parentOf(node)) == parentKey);
}

void placeRows(FuzzedDataProvider &data, TreeModel &tree, const HierarchyRules &rules,
               int levelStep)
{
    try {
        tree.addRoot(rules.rootKey, rules.rootText);
    } catch (const Error &) {
        return; // a lithology term took the stratigraphic root's key
    }
    tree.setExpanded(tree.item(rules.rootKey), true);
    tree.setSorted(tree.item(rules.rootKey), rules.sortsFirstLevel);
    RowPlacer placer(tree, rules);
    RowPlacer::Keys keys;
    const int rows = data.ConsumeIntegralInRange(0, 24);
    for (int i = 0; i < rows && data.remaining_bytes() > 0; ++i) {
        const HierarchyRow row = fuzzedRow(data, levelStep);
        const int before = tree.nodeCount();
        try {
            placer.prepare(row, keys);
            placer.place(row, keys);
        } catch (const Error &error) {
            FUZZ_CHECK(error.number() >= OdbcCallFailed && error.number() <= UnexpectedFailure);
            FUZZ_CHECK(tree.nodeCount() == before);
            continue;
        }
        FUZZ_CHECK(tree.nodeCount() == before || tree.nodeCount() == before + 1);
        if (tree.nodeCount() == before + 1)
            checkPlaced(tree, rules, row);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    TreeModel tree;
    // Reports every inconsistency in the model's signals and indexes at once.
    QAbstractItemModelTester tester(&tree, QAbstractItemModelTester::FailureReportingMode::Fatal);
    placeRows(data, tree, lithologyRules(), 1);
    placeRows(data, tree, stratigraphyRules(), 50);
    for (TreeModel::Node node = 0; node < tree.nodeCount(); ++node)
        checkNode(tree, node);
    return 0;
}
