// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FieldValue.h"

#include <QAnyStringView>
#include <string>

namespace kestrelon {

// One cell of a hierarchy row: a value, or text whose characters all came
// in single bytes and are kept so. Building a tree wants the characters of
// names and tags as they came, to store them; widening them to a value first
// cost a conversion and back for each. Their value is made only when asked
// for. The cell keeps its memory from row to row.
class RowCell
{
public:
    RowCell() = default;
    RowCell(FieldValue value) : value_(std::move(value)) {}

    RowCell &operator=(FieldValue value)
    {
        value_ = std::move(value);
        latin1_ = false;
        return *this;
    }

    // Makes the cell this text, given as Latin-1.
    void assignLatin1(QLatin1StringView text);
    // Makes the cell this text, in the memory its value already holds.
    void assignText(QStringView text)
    {
        value_.assignText(text);
        latin1_ = false;
    }

    // The cell's value; text kept in single bytes is spelt out on first use.
    const FieldValue &value() const;
    bool isNull() const { return !latin1_ && value_.isNull(); }
    bool isText() const { return latin1_ || value_.kind() == FieldValue::Kind::Text; }
    // The characters of a text cell, without a copy, valid until the cell
    // changes; nothing for other kinds.
    QAnyStringView text() const
    {
        if (latin1_)
            return QLatin1StringView(latin1Text_.data(), qsizetype(latin1Text_.size()));
        return value_.textView();
    }

private:
    mutable FieldValue value_;
    std::string latin1Text_;
    bool latin1_ = false;
    mutable bool spelt_ = false; // value_ holds latin1Text_
};

} // namespace kestrelon
