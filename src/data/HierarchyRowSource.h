// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HierarchyRow.h"

#include <optional>

namespace kestrelon {

class RowParcel;

// The rows of one hierarchy, one after another, from wherever they are read.
class HierarchyRowSource
{
public:
    virtual ~HierarchyRowSource() = default;
    // Puts the next row into `row`; false once there is none. Raises the
    // Error that ends the reading, after the rows read before it.
    virtual bool next(HierarchyRow &row) = 0;
};

// The rows of a cursor from where it stands, or from its first row when
// asked to rewind. The columns are found at the first row, so an empty
// cursor needs none of them.
class CursorRowSource : public HierarchyRowSource
{
public:
    CursorRowSource(Recordset &rows, const RowLayout &layout, bool rewind)
        : rows_(rows), layout_(layout), rewind_(rewind)
    {
    }
    bool next(HierarchyRow &row) override;
    // The next row added to a parcel; false once there is none.
    bool next(RowParcel &parcel);

private:
    // Moves to the next row; false once there is none.
    bool advance();

    Recordset &rows_;
    const RowLayout &layout_;
    bool rewind_;
    bool started_ = false;
    std::optional<HierarchyRowReader> reader_;
};

} // namespace kestrelon
