// SPDX-License-Identifier: GPL-3.0-or-later
#include "RowReadAhead.h"

#include <utility>

namespace kestrelon {

const RowReadAhead::Item *RowReadAhead::next()
{
    if (handedOut_)
        ++placed_;
    handedOut_ = true;
    readAhead();
    if (placed_ == read_) {
        if (failure_)
            std::rethrow_exception(std::exchange(failure_, nullptr));
        return nullptr;
    }
    return &ring_[placed_ % ring_.size()];
}

void RowReadAhead::readAhead()
{
    while (more_ && read_ - placed_ < ring_.size()) {
        Item &item = ring_[read_ % ring_.size()];
        try {
            more_ = rows_.next(item.row);
        } catch (...) {
            failure_ = std::current_exception();
            more_ = false;
        }
        if (!more_)
            return;
        item.parent = placer_.prepare(item.row, item.keys);
        ++read_;
        if (read_ - placed_ > stepDistance)
            tree_.continueLookup(ring_[(read_ - 1 - stepDistance) % ring_.size()].parent);
        if (read_ - placed_ > 2 * stepDistance)
            tree_.finishLookup(ring_[(read_ - 1 - 2 * stepDistance) % ring_.size()].parent);
    }
}

} // namespace kestrelon
