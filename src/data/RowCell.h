// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FieldValue.h"

#include <QAnyStringView>
#include <string>

namespace kestrelon {

// One cell of a hierarchy row: a value, or text that came in single bytes,
// kept in them: Latin-1, or valid UTF-8. Building a tree wants the
// characters of names and tags as they came, to store them; widening them
// to a value first cost a conversion and back for each. Their value is made
// only when asked for. The cell keeps its memory from row to row.
class RowCell
{
public:
    RowCell() = default;
    RowCell(FieldValue value) : value_(std::move(value)) {}

    RowCell &operator=(FieldValue value)
    {
        value_ = std::move(value);
        form_ = Form::Value;
        return *this;
    }

    // Makes the cell this text, given in single bytes.
    void assignLatin1(QLatin1StringView text)
    {
        assignBytes(Form::Latin1, text.data(), text.size());
    }
    void assignUtf8(QUtf8StringView text) { assignBytes(Form::Utf8, text.data(), text.size()); }
    // Makes the cell this text, in the memory its value already holds.
    void assignText(QStringView text)
    {
        value_.assignText(text);
        form_ = Form::Value;
    }

    // The cell's value; text kept in single bytes is spelt out on first use.
    const FieldValue &value() const;
    bool isNull() const { return form_ == Form::Value && value_.isNull(); }
    bool isText() const { return form_ != Form::Value || value_.kind() == FieldValue::Kind::Text; }
    // The characters of a text cell, without a copy, valid until the cell
    // changes; nothing for other kinds.
    QAnyStringView text() const
    {
        const auto size = qsizetype(bytes_.size());
        switch (form_) {
        case Form::Latin1:
            return QLatin1StringView(bytes_.data(), size);
        case Form::Utf8:
            return QUtf8StringView(bytes_.data(), size);
        default:
            return value_.textView();
        }
    }

private:
    enum class Form : quint8 { Value, Latin1, Utf8 };

    void assignBytes(Form form, const char *bytes, qsizetype size)
    {
        bytes_.assign(bytes, size_t(size));
        form_ = form;
        spelt_ = false;
    }

    mutable FieldValue value_;
    std::string bytes_;
    Form form_ = Form::Value;
    mutable bool spelt_ = false; // value_ holds the bytes' text
};

} // namespace kestrelon
