// SPDX-License-Identifier: GPL-3.0-or-later
#include "RowParcel.h"

namespace kestrelon {

RowParcel::RowParcel(size_t rows, size_t bytes)
{
    cells_.reserve(rows * cellsPerRow);
    bytes_.reserve(bytes);
}

void RowParcel::add(const RawCell &cell)
{
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

void RowParcel::fill(const Cell &cell, RowCell &out)
{
    if (cell.source == Cell::Source::Value) {
        out = std::move(values_[cell.offset]);
        return;
    }
    const char *bytes = bytes_.data() + cell.offset;
    if (cell.form == RawCell::Form::Ascii)
        out.assignLatin1(QLatin1StringView(bytes, qsizetype(cell.size)));
    else if (cell.form == RawCell::Form::Utf16)
        out.assignText(QStringView(reinterpret_cast<const char16_t *>(bytes),
                                   qsizetype(cell.size / sizeof(char16_t))));
    else
        out = valueOf(RawCell{cell.form, std::string_view(bytes, cell.size)});
}

void RowParcel::clear()
{
    cells_.clear();
    bytes_.clear();
    values_.clear();
}

void RowParcel::take(size_t row, HierarchyRow &out)
{
    const Cell *cell = cells_.data() + row * cellsPerRow;
    fill(cell[0], out.name);
    fill(cell[1], out.parent);
    fill(cell[2], out.level);
    fill(cell[3], out.id);
    fill(cell[4], out.parentId);
    fill(cell[5], out.parentLevel);
    fill(cell[6], out.tag);
}

} // namespace kestrelon
