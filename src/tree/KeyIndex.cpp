// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyIndex.h"

#include <memory>

namespace kestrelon {

namespace {

constexpr size_t smallestTable = 16;

} // namespace

void KeyIndex::insert(size_t hash, qint32 node)
{
    // Linear probing stays short while at most seven slots in ten are taken.
    if (size_t(count_ + 1) * 10 > capacity_ * 7)
        grow();
    place(Slot{tagOf(hash), node});
    ++count_;
}

void KeyIndex::clear()
{
    table_ = LargeBlock();
    capacity_ = 0;
    mask_ = 0;
    shift_ = 64;
    count_ = 0;
}

void KeyIndex::place(const Slot &slot)
{
    Slot *slots = table();
    size_t at = home(slot.tag);
    while (slots[at].node != empty)
        at = (at + 1) & mask_;
    slots[at] = slot;
}

void KeyIndex::grow()
{
    const size_t oldCapacity = capacity_;
    LargeBlock old = std::move(table_);
    capacity_ = qMax(smallestTable, capacity_ * 2);
    table_ = LargeBlock(capacity_ * sizeof(Slot));
    std::uninitialized_fill_n(table(), capacity_, Slot{0, empty});
    mask_ = capacity_ - 1;
    shift_ = 64;
    for (size_t size = capacity_; size > 1; size >>= 1)
        --shift_;
    const Slot *previous = reinterpret_cast<const Slot *>(old.data());
    for (size_t i = 0; i < oldCapacity; ++i) {
        if (previous[i].node != empty)
            place(previous[i]);
    }
}

} // namespace kestrelon
