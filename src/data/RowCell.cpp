// SPDX-License-Identifier: GPL-3.0-or-later
#include "RowCell.h"

#include "Utf8Text.h"

namespace kestrelon {

const FieldValue &RowCell::value() const
{
    if (form_ == Form::Value || spelt_)
        return value_;
    const auto size = qsizetype(bytes_.size());
    if (form_ == Form::Latin1)
        value_.assignText(QLatin1StringView(bytes_.data(), size));
    else
        value_ = FieldValue::text(textOfUtf8(QByteArrayView(bytes_.data(), size)));
    spelt_ = true;
    return value_;
}

} // namespace kestrelon
