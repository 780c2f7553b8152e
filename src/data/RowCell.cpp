// SPDX-License-Identifier: GPL-3.0-or-later
#include "RowCell.h"

namespace kestrelon {

void RowCell::assignLatin1(QLatin1StringView text)
{
    latin1Text_.assign(text.data(), size_t(text.size()));
    latin1_ = true;
    spelt_ = false;
}

const FieldValue &RowCell::value() const
{
    if (latin1_ && !spelt_) {
        value_.assignText(QLatin1StringView(latin1Text_.data(), qsizetype(latin1Text_.size())));
        spelt_ = true;
    }
    return value_;
}

} // namespace kestrelon
