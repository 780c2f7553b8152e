// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChildLists.h"

#include "data/Error.h"

#include <algorithm>
#include <cstring>

namespace kestrelon {

namespace {

int log2Of(size_t powerOfTwo)
{
    int bits = 0;
    while (powerOfTwo >>= 1)
        ++bits;
    return bits;
}

} // namespace

ChildLists::List ChildLists::add()
{
    lists_.emplace_back();
    return List(lists_.size() - 1);
}

ChildLists::Range ChildLists::nodes(List list) const
{
    const Entry &entry = lists_.at(size_t(list));
    if (entry.size == 0)
        return {};
    return {at(entry.room), entry.size};
}

ChildLists::Node *ChildLists::begin(List list)
{
    const Entry &entry = lists_.at(size_t(list));
    return entry.size == 0 ? nullptr : at(entry.room);
}

void ChildLists::insert(List list, size_t position, Node node)
{
    Entry &entry = lists_.at(size_t(list));
    const size_t size = entry.size;
    const size_t capacity = capacityOf(size);
    if (size < capacity) {
        Node *nodes = at(entry.room);
        std::memmove(nodes + position + 1, nodes + position, (size - position) * sizeof(Node));
        nodes[position] = node;
    } else {
        const quint32 room = takeRoom(size == 0 ? 1 : 2 * size);
        Node *moved = at(room);
        if (size > 0) {
            const Node *nodes = at(entry.room);
            std::memcpy(moved, nodes, position * sizeof(Node));
            std::memcpy(moved + position + 1, nodes + position, (size - position) * sizeof(Node));
            giveBack(entry.room, capacity);
        }
        moved[position] = node;
        entry.room = room;
    }
    ++entry.size;
}

// A full list's capacity is its size, or 0 for one without a room.
size_t ChildLists::capacityOf(size_t size)
{
    size_t capacity = size == 0 ? 0 : 1;
    while (capacity < size)
        capacity <<= 1;
    return capacity;
}

ChildLists::Node *ChildLists::at(quint32 room) const
{
    return reinterpret_cast<Node *>(blocks_[room >> roomBits].data()) + (room & (blockNodes - 1));
}

quint32 ChildLists::takeRoom(size_t capacity)
{
    if (capacity <= blockNodes) {
        auto &free = freeRooms_[size_t(log2Of(capacity))];
        if (!free.empty()) {
            const quint32 room = free.back();
            free.pop_back();
            return room;
        }
    }
    const bool ownBlock = capacity > blockNodes;
    if (ownBlock || used_ + capacity > blockNodes) {
        if (blocks_.size() == maxBlocks)
            throw Error(UnexpectedFailure, QStringLiteral("Too many terms to keep"));
        blocks_.emplace_back(std::max(capacity, blockNodes) * sizeof(Node));
        if (ownBlock)
            return quint32(blocks_.size() - 1) << roomBits;
        shared_ = blocks_.size() - 1;
        used_ = 0;
    }
    const quint32 room = quint32(shared_) << roomBits | quint32(used_);
    used_ += capacity;
    return room;
}

void ChildLists::giveBack(quint32 room, size_t capacity)
{
    if (capacity > blockNodes)
        blocks_[room >> roomBits] = LargeBlock();
    else
        freeRooms_[size_t(log2Of(capacity))].push_back(room);
}

} // namespace kestrelon
