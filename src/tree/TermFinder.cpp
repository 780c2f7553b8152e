// SPDX-License-Identifier: GPL-3.0-or-later
#include "TermFinder.h"

#include <algorithm>

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
        start = qsizetype(std::find(order_.begin(), order_.end(), from) - order_.begin()) +
                (includeFrom ? 0 : step);
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
// them; a stack instead of recursion, for trees of any depth. It runs at the
// first key typed, so it walks the child lists directly.
void TermFinder::refresh() const
{
    const size_t count = size_t(tree_.nodeCount());
    if (order_.size() == count)
        return;
    order_.clear();
    order_.reserve(count);
    struct Branch
    {
        const TreeModel::Node *next;
        const TreeModel::Node *end;
    };
    const auto branchOf = [this](TreeModel::Node node) {
        const auto children = tree_.children(node);
        return Branch{children.begin(), children.end()};
    };
    std::vector<Branch> stack{branchOf(TreeModel::NoNode)};
    while (!stack.empty()) {
        Branch &branch = stack.back();
        if (branch.next == branch.end) {
            stack.pop_back();
            continue;
        }
        const TreeModel::Node node = *branch.next++;
        order_.push_back(node);
        const Branch below = branchOf(node);
        if (below.next != below.end)
            stack.push_back(below);
    }
}

} // namespace kestrelon
