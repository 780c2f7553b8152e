// SPDX-License-Identifier: GPL-3.0-or-later
#include "TermFinder.h"

namespace kestrelon {

TreeModel::Node TermFinder::find(QStringView prefix, TreeModel::Node from, Direction direction,
                                 bool includeFrom) const
{
    if (prefix.isEmpty())
        return TreeModel::NoNode;
    refresh();
    const qsizetype count = qsizetype(order_.size());
    if (count == 0)
        return TreeModel::NoNode;
    const qsizetype step = direction == Direction::Forward ? 1 : count - 1;
    qsizetype start = 0;
    if (from != TreeModel::NoNode)
        start = positions_[size_t(from)] + (includeFrom ? 0 : step);
    else if (direction == Direction::Backward)
        start = count - 1;
    for (qsizetype i = 0; i < count; ++i) {
        const TreeModel::Node node = order_[size_t((start + i * step) % count)];
        if (matches(node, prefix))
            return node;
    }
    return TreeModel::NoNode;
}

bool TermFinder::matches(TreeModel::Node node, QStringView prefix) const
{
    return tree_.textView(node).visit([prefix](auto text) {
        if constexpr (std::is_same_v<decltype(text), QUtf8StringView>)
            return QString::fromUtf8(text).startsWith(prefix, Qt::CaseInsensitive);
        else
            return text.startsWith(prefix, Qt::CaseInsensitive);
    });
}

// Each node before its children, the children in the order the tree shows
// them; a stack instead of recursion, for trees of any depth.
void TermFinder::refresh() const
{
    if (order_.size() == size_t(tree_.nodeCount()))
        return;
    order_.clear();
    order_.reserve(size_t(tree_.nodeCount()));
    positions_.assign(size_t(tree_.nodeCount()), -1);
    std::vector<std::pair<TreeModel::Node, int>> stack{{TreeModel::NoNode, 0}};
    while (!stack.empty()) {
        auto &[parent, row] = stack.back();
        if (row == tree_.childCount(parent)) {
            stack.pop_back();
            continue;
        }
        const TreeModel::Node node = tree_.childAt(parent, row++);
        positions_[size_t(node)] = qint32(order_.size());
        order_.push_back(node);
        stack.emplace_back(node, 0);
    }
}

} // namespace kestrelon
