// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LargeBlock.h"

#include <QtGlobal>

#include <stdexcept>
#include <vector>

namespace kestrelon {

// The children of every node that has some, as lists of node numbers kept
// in a few large blocks instead of a heap block each: with most families a
// handful of terms, a heap block and its bookkeeping cost more than the
// children themselves. A list lives in a room of the next power of two of
// its length and moves to one twice as large when full; the room it leaves
// is taken by the next list that grows to that size.
class ChildLists
{
public:
    using Node = qint32;
    using List = qint32;

    // A list's nodes, valid until the next insertion into any list.
    class Range
    {
    public:
        Range() = default;
        Range(const Node *first, size_t size) : first_(first), size_(size) {}
        const Node *begin() const { return first_; }
        const Node *end() const { return first_ + size_; }
        size_t size() const { return size_; }
        bool empty() const { return size_ == 0; }
        Node operator[](size_t i) const { return first_[i]; }
        Node at(size_t i) const
        {
            if (i >= size_)
                throw std::out_of_range("no child at this row");
            return first_[i];
        }

    private:
        const Node *first_ = nullptr;
        size_t size_ = 0;
    };

    // A new, empty list.
    List add();
    Range nodes(List list) const;
    // The nodes of a list, to be put in another order.
    Node *begin(List list);
    Node *end(List list) { return begin(list) + lists_[size_t(list)].size; }
    void insert(List list, size_t position, Node node);
    void prefetch(List list) const { prefetchLine(&lists_[size_t(list)]); }

private:
    // Blocks of 2^18 nodes hold many rooms; a larger room has a block of
    // its own, freed when the list moves on. A room is its block's number
    // above roomBits and its place in the block below.
    static constexpr int roomBits = 18;
    static constexpr size_t blockNodes = size_t(1) << roomBits;
    static constexpr size_t maxBlocks = size_t(1) << (32 - roomBits);

    struct Entry
    {
        quint32 room = 0;
        quint32 size = 0;
    };

    static size_t capacityOf(size_t size);
    Node *at(quint32 room) const;
    quint32 takeRoom(size_t capacity);
    void giveBack(quint32 room, size_t capacity);

    std::vector<Entry> lists_;
    std::vector<LargeBlock> blocks_;
    size_t shared_ = 0; // the block new small rooms are cut from
    size_t used_ = blockNodes;
    // Rooms given back, by the power of two of their capacity.
    std::vector<std::vector<quint32>> freeRooms_ = std::vector<std::vector<quint32>>(roomBits + 1);
};

} // namespace kestrelon
