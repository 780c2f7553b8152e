// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LargeBlock.h"

#include <QtGlobal>

namespace kestrelon {

// Finds nodes by the hash of their key: an open-addressing table of node
// numbers with 32 bits of their key's hash beside them, eight bytes a slot.
// The keys stay with their owner, which tells whether a candidate matches;
// the table compares hashes first, so it asks only about likely matches.
class KeyIndex
{
public:
    static constexpr qint32 None = -1;

    // The stored node with this hash for which `matches(node)` holds, or None.
    template<typename Matches> qint32 find(size_t hash, Matches &&matches) const
    {
        if (count_ == 0)
            return None;
        const quint32 tag = tagOf(hash);
        for (size_t slot = home(tag);; slot = (slot + 1) & mask_) {
            const Slot &s = table()[slot];
            if (s.node == empty)
                return None;
            if (s.tag == tag && matches(s.node))
                return s.node;
        }
    }

    // The node a search for this hash most likely ends at: the first whose
    // hash matches in the bits kept, or None.
    qint32 candidate(size_t hash) const
    {
        return find(hash, [](qint32) { return true; });
    }

    // Asks the processor to start loading the slot where a search for this
    // hash begins, so that it arrives while other work goes on.
    void prefetch(size_t hash) const
    {
        // Not in a branch of its own: GCC drops a prefetch that is all a
        // branch does. An empty table's null start is never read.
        const size_t slot = count_ > 0 ? home(tagOf(hash)) : 0;
        prefetchLine(table() + slot);
    }

    // Adds a node whose key the caller knows to be new.
    void insert(size_t hash, qint32 node);
    void clear();

    qsizetype size() const { return count_; }
    size_t capacity() const { return capacity_; }

private:
    static constexpr qint32 empty = -1;
    struct Slot
    {
        quint32 tag;
        qint32 node;
    };

    // The 32 bits of the hash that are kept, and from which a slot is chosen.
    static quint32 tagOf(size_t hash) { return quint32(quint64(hash) >> 32 ^ quint64(hash)); }
    // Fibonacci hashing: the upper bits of the product spread even weak hashes.
    size_t home(quint32 tag) const
    {
        return size_t((quint64(tag) * 0x9E3779B97F4A7C15ull) >> shift_);
    }
    void place(const Slot &slot);
    void grow();
    Slot *table() const { return reinterpret_cast<Slot *>(table_.data()); }

    LargeBlock table_;
    size_t capacity_ = 0;
    size_t mask_ = 0;
    int shift_ = 64;
    qsizetype count_ = 0;
};

} // namespace kestrelon
