// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TreeModel.h"

#include <QStringView>
#include <vector>

namespace kestrelon {

// Finds nodes by the start of their text, ignoring case, anywhere in a tree:
// in the order a fully opened tree shows them, each node before its
// children, wrapping around at either end. The order is worked out once and
// again only after nodes were added.
class TermFinder
{
public:
    enum class Direction { Forward, Backward };

    explicit TermFinder(const TreeModel &tree) : tree_(tree) {}

    const TreeModel &tree() const { return tree_; }

    // The first node whose text begins with `prefix`, going in `direction`
    // from `from` (`from` itself first when `includeFrom`). From NoNode the
    // search starts at the top, or at the bottom going backward. NoNode
    // when none matches or the prefix is empty.
    TreeModel::Node find(QStringView prefix, TreeModel::Node from, Direction direction,
                         bool includeFrom) const;

    // Works the order out now if nodes were added since; find() does it
    // too, but a whole tree takes a while, better spent before the first key.
    void refresh() const;

private:
    bool matches(TreeModel::Node node, QStringView prefix) const;

    const TreeModel &tree_;
    mutable std::vector<TreeModel::Node> order_;
};

} // namespace kestrelon
