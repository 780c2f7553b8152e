// SPDX-License-Identifier: GPL-3.0-or-later
#include "HierarchyRowSource.h"

#include "Recordset.h"

namespace kestrelon {

bool CursorRowSource::next(HierarchyRow &row)
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
    row = reader_->read(rows_);
    return true;
}

} // namespace kestrelon
