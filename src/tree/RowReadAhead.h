// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HierarchyBuilder.h"
#include "TreeModel.h"

#include <array>
#include <exception>

namespace kestrelon {

// Rows read some way ahead of the one being placed. Placing a row waits for
// memory several times, above all to find its parent; for a million rows
// those waits add up to a large part of the build. Ahead of its turn, each
// row's lookups are started and then carried a step further as it comes
// closer, so that the loads overlap. A failure of the source still comes
// after every row read before it.
class RowReadAhead
{
public:
    RowReadAhead(HierarchyRowSource &rows, const TreeModel &tree, RowPlacer &placer)
        : rows_(rows), tree_(tree), placer_(placer)
    {
    }

    struct Item
    {
        HierarchyRow row;
        RowPlacer::Keys keys;
        TreeModel::KeyLookahead parent;
    };

    // The next row to place, or null once there is none.
    const Item *next();

private:
    // How many rows after a row's lookup starts it takes each further step.
    static constexpr size_t stepDistance = 5;

    void readAhead();

    HierarchyRowSource &rows_;
    const TreeModel &tree_;
    RowPlacer &placer_;
    std::array<Item, 16> ring_;
    size_t read_ = 0;   // rows read so far
    size_t placed_ = 0; // rows handed out and done with
    bool handedOut_ = false;
    bool more_ = true;
    std::exception_ptr failure_;
};

} // namespace kestrelon
