// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BuildReport.h"
#include "KeyText.h"
#include "TreeModel.h"

#include <QSet>
#include <QString>

#include "data/FieldValue.h"
#include "data/HierarchyRow.h"
#include "data/HierarchyRowSource.h"

namespace kestrelon {

class Error;
class Recordset;

// What sets one hierarchy apart from another: its root, its columns, its
// first level and the level step from a parent to a child.
struct HierarchyRules
{
    QString rootKey;
    QString rootText;
    const RowLayout *layout;
    FieldValue firstLevel;
    // Whether a row that is not first-level belongs under its parent; may
    // raise an error for levels that are not numbers.
    bool (*isChild)(const FieldValue &level, const FieldValue &parentLevel);
    bool sortsFirstLevel; // the root keeps its children in alphabetical order
    bool rewinds;         // the cursor is moved to its first row before reading
};

// Adds the root and one node per qualifying row, in row order: a first-level
// row under the root, any other qualifying row under the node keyed by its
// parent's name and id. A row that cannot become a node (its key is taken or
// Null, its parent's node is missing, its level is not a number, even where
// no parent level is given) is left out and noted in the report. Errors of
// the cursor end the build.
BuildReport buildHierarchy(Recordset &rows, TreeModel &tree, const HierarchyRules &rules);
// The same from rows read elsewhere, the cursor already where the rules
// want it.
BuildReport buildHierarchy(HierarchyRowSource &rows, TreeModel &tree, const HierarchyRules &rules);

// The two halves of a build, for a tree that holds more than one
// hierarchy: every root is added before any row is placed, so that a row
// whose key is another hierarchy's root key is left out like any other row
// whose key is taken. addRoot() adds the root, expanded, at the top level;
// placeRows() places the rows under it.
void addRoot(TreeModel &tree, const HierarchyRules &rules);
BuildReport placeRows(HierarchyRowSource &rows, TreeModel &tree, const HierarchyRules &rules);

// One row of that loop at a time: adds the row's node, adds nothing when the
// row does not qualify, or raises the Error that has the builder skip it,
// leaving the tree unchanged. Keeps its key buffers from row to row.
class RowPlacer
{
public:
    // A row's own key and its parent's, with their hashes, made once for
    // both the lookahead and the placing. A key whose name and id are both
    // Null is missing.
    struct Keys
    {
        KeyText own;
        KeyText parent;
        size_t ownHash = 0;
        size_t parentHash = 0;
        bool hasOwn = false;
        bool hasParent = false;
    };

    RowPlacer(TreeModel &tree, const HierarchyRules &rules);
    // Makes the row's keys and starts loading what placing the row will
    // read (see TreeModel::KeyLookahead): the index slot of its own key,
    // which must be new, and the way to its parent's node, which is
    // returned to be carried further.
    TreeModel::KeyLookahead prepare(const HierarchyRow &row, Keys &keys);
    // Places the row, whose keys prepare() made.
    void place(const HierarchyRow &row, const Keys &keys);
    // Notes a row that place() refused with `error`, and returns why it was
    // left out: a child whose parent was itself left out says so, rather
    // than that no node has its parent's key.
    QString leftOut(const HierarchyRow &row, const Error &error);

private:
    void addNode(QAnyStringView relativeKey, size_t relativeHash, const HierarchyRow &row,
                 const Keys &keys);

    TreeModel &tree_;
    const HierarchyRules &rules_;
    const size_t rootHash_;
    KeyText ownKey_;
    KeyText parentKey_;
    QSet<QString> leftOutKeys_; // keys of rows left out that no node holds
};

} // namespace kestrelon
