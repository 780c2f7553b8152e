// SPDX-License-Identifier: GPL-3.0-or-later
#include "HierarchyRowSource.h"

#include "Recordset.h"

namespace kestrelon {

bool CursorRowSource::advance()
{
    if (!started_) {
        started_ = true;
        if (rewind_)
            rows_.moveFirst();
    } else {
        rows_.moveNext();
    }
    if (rows_.eof())
        return false;
    if (!reader_)
        reader_.emplace(rows_, layout_);
    return true;
}

bool CursorRowSource::next(HierarchyRow &row)
{
    if (!advance())
        return false;
    row = reader_->read(rows_);
    return true;
}

bool CursorRowSource::next(RowParcel &parcel)
{
    if (!advance())
        return false;
    reader_->readInto(rows_, parcel);
    return true;
}

} // namespace kestrelon
