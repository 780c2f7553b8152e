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
    if (cell.bytes.size() > largestRawCell) {
        add(valueOf(cell));
        return;
    }
    // UTF-16 units are read in place, so they stay aligned as such.
    if (cell.form == RawCell::Form::Utf16 && bytes_.size() % 2 != 0)
        bytes_.push_back(0);
    bytes_.insert(bytes_.end(), cell.bytes.begin(), cell.bytes.end());
    cells_.push_back({Cell::Source::Raw, cell.form, quint16(cell.bytes.size())});
}

void RowParcel::add(FieldValue value)
{
    cells_.push_back({Cell::Source::Value, RawCell::Form::Null, 0});
    values_.push_back(std::move(value));
}

Q_ALWAYS_INLINE void RowParcel::takeNext(RowCell &out, Cursor &at)
{
    const Cell cell = cells_[at.cell++];
    if (cell.source == Cell::Source::Value) {
        out = std::move(values_[at.value++]);
        return;
    }
    if (cell.form == RawCell::Form::Utf16 && at.byte % 2 != 0)
        ++at.byte;
    const char *bytes = bytes_.data() + at.byte;
    at.byte += cell.size;
    if (cell.form == RawCell::Form::Ascii)
        out.assignLatin1(QLatin1StringView(bytes, qsizetype(cell.size)));
    else if (cell.form == RawCell::Form::Utf8)
        out.assignUtf8(QUtf8StringView(bytes, qsizetype(cell.size)));
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
    next_ = {};
}

void RowParcel::takeNext(HierarchyRow &out)
{
    // Kept in a local while the row is taken: the cells written in between
    // might otherwise be the cursor, as far as the compiler knows.
    Cursor at = next_;
    takeNext(out.name, at);
    takeNext(out.parent, at);
    takeNext(out.level, at);
    takeNext(out.id, at);
    takeNext(out.parentId, at);
    takeNext(out.parentLevel, at);
    takeNext(out.tag, at);
    next_ = at;
}

} // namespace kestrelon
