// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HierarchyRow.h"
#include "RowBlock.h"

#include <limits>
#include <vector>

namespace kestrelon {

// Hierarchy rows on their way from the thread that reads them to the one
// that uses them. Cells travel as the bytes the driver left in its buffers,
// copied side by side, and become values only where the rows are used: the
// reading thread does little beyond the driver's own work, and the values'
// memory is made and freed by one thread. A cell that only a read through
// the driver gives travels as its value.
class RowParcel
{
public:
    static constexpr int cellsPerRow = 7;

    RowParcel() = default;
    // Room for `rows` rows whose cells take `bytes` bytes, made at once
    // rather than grown a step at a time.
    RowParcel(size_t rows, size_t bytes);

    // Rows are added a cell at a time, in the order of HierarchyRow's fields.
    void add(const RawCell &cell);
    void add(FieldValue value);

    // Whole rows only: a row whose reading failed halfway does not count.
    size_t rowCount() const { return cells_.size() / cellsPerRow; }
    // Bytes the raw cells take.
    size_t byteCount() const { return bytes_.size(); }
    // Puts the cells of the next row into `out`: rows are taken once each,
    // in the order they were added.
    void takeNext(HierarchyRow &out);
    // Empties the parcel for more rows, keeping its memory.
    void clear();

private:
    // Four bytes a cell, which lie side by side in the order added, as do
    // the bytes and values they stand for: the parcel's memory passes from
    // one processor core to another, and the less of it there is, the less
    // either waits for it.
    struct Cell
    {
        enum class Source : quint8 { Raw, Value };
        Source source;
        RawCell::Form form;
        quint16 size; // of a raw cell's bytes
    };
    static constexpr size_t largestRawCell = std::numeric_limits<quint16>::max();

    // Where the next row to take starts.
    struct Cursor
    {
        size_t cell = 0;
        size_t byte = 0;
        size_t value = 0;
    };

    // Makes `out` the cell at `at`, in the memory `out` already holds where
    // it can, and moves `at` on.
    void takeNext(RowCell &out, Cursor &at);

    std::vector<Cell> cells_;
    std::vector<char> bytes_; // UTF-16 cells start at even offsets
    std::vector<FieldValue> values_;
    Cursor next_;
};

} // namespace kestrelon
