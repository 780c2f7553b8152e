// SPDX-License-Identifier: GPL-3.0-or-later
#include "RowParcel.h"

namespace kestrelon {

void RowParcel::add(const RawCell &cell)
{
    // Room for a typical parcel at once, rather than growing from nothing.
    if (bytes_.capacity() == 0)
        bytes_.reserve(initialBytes);
    // UTF-16 units are read in place, so they stay aligned as such.
    if (cell.form == RawCell::Form::Utf16 && bytes_.size() % 2 != 0)
        bytes_.push_back(0);
    const auto offset = quint32(bytes_.size());
    bytes_.insert(bytes_.end(), cell.bytes.begin(), cell.bytes.end());
    cells_.push_back({Cell::Source::Raw, cell.form, offset, quint32(cell.bytes.size())});
}

void RowParcel::add(FieldValue value)
{
    cells_.push_back({Cell::Source::Value, RawCell::Form::Null, quint32(values_.size()), 0});
    values_.push_back(std::move(value));
}

FieldValue RowParcel::valueOf(const Cell &cell)
{
    if (cell.source == Cell::Source::Value)
        return std::move(values_[cell.offset]);
    return kestrelon::valueOf(
        RawCell{cell.form, std::string_view(bytes_.data() + cell.offset, cell.size)});
}

void RowParcel::take(size_t row, HierarchyRow &out)
{
    const Cell *cell = cells_.data() + row * cellsPerRow;
    out.name = valueOf(cell[0]);
    out.parent = valueOf(cell[1]);
    out.level = valueOf(cell[2]);
    out.id = valueOf(cell[3]);
    out.parentId = valueOf(cell[4]);
    out.parentLevel = valueOf(cell[5]);
    out.tag = valueOf(cell[6]);
}

} // namespace kestrelon
