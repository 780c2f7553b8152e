// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <variant>

namespace kestrelon {

// The three-valued outcome of comparisons that keep Null apart from false.
enum class Truth { False, True, Null };

// One value as a data source delivers it for one field of one row: Null, a
// whole or fractional number, or text. A default-constructed value is Empty,
// what a node tag holds before anything is written to it; it behaves like
// empty text.
class FieldValue
{
public:
    enum class Kind { Empty, Null, Whole, Fractional, Text };

    FieldValue() = default;
    static FieldValue null() { return FieldValue(NullValue{}); }
    static FieldValue whole(qint64 number) { return FieldValue(number); }
    static FieldValue fractional(double number) { return FieldValue(number); }
    static FieldValue text(QString text) { return FieldValue(std::move(text)); }

    Kind kind() const { return static_cast<Kind>(value_.index()); }
    bool isNull() const { return kind() == Kind::Null; }
    bool isNumber() const { return kind() == Kind::Whole || kind() == Kind::Fractional; }
    qint64 wholeNumber() const { return std::get<qint64>(value_); }
    double fractionalNumber() const { return std::get<double>(value_); }

    // The characters of a text value, without a copy (valid while the value
    // lives); nothing for other kinds.
    QStringView textView() const
    {
        const QString *text = std::get_if<QString>(&value_);
        return text ? QStringView(*text) : QStringView();
    }

    // Makes the value this text. The memory of a text value that nobody
    // else holds is reused, so that a value refilled row after row does not
    // allocate for each.
    void assignText(QStringView text);
    void assignText(QLatin1StringView text);

    // The text a value contributes to a concatenation: Null and Empty give
    // no characters, whole numbers their exact decimal digits (a whole
    // double too, however large), other fractional numbers the shortest
    // decimal that reads back to the same value.
    QString toText() const;

    bool operator==(const FieldValue &other) const { return value_ == other.value_; }
    bool operator!=(const FieldValue &other) const { return !(*this == other); }

private:
    struct EmptyValue
    {
        bool operator==(EmptyValue) const { return true; }
    };
    struct NullValue
    {
        bool operator==(NullValue) const { return true; }
    };
    using Storage = std::variant<EmptyValue, NullValue, qint64, double, QString>;

    template<typename T> explicit FieldValue(T value) : value_(std::move(value)) {}

    Storage value_;
};

// a & b: the two text forms joined; Null only when both sides are Null.
FieldValue concat(const FieldValue &a, const FieldValue &b);

// Equality as a condition: true only when both sides are non-Null and equal.
// Numbers compare by value, texts character by character with case
// significant; a text and a number are equal when the text spells that number:
// exactly against a whole number, as the double it reads as against a
// fractional one.
bool equals(const FieldValue &a, const FieldValue &b);

// Equality as a value: as equals(), but Null on either side gives Null.
Truth equalsValue(const FieldValue &a, const FieldValue &b);

// a - b: Null when either side is Null. Text is read as the number it spells;
// text that spells no number raises a TypeMismatch error. Whole numbers and
// the numbers text spells subtract exactly: a difference that is not a
// 64-bit whole number then comes as its decimal digits, in text. Where a
// double takes part, the difference is a double.
FieldValue subtract(const FieldValue &a, const FieldValue &b);

// True when either side is true, Null when either is Null, false otherwise.
Truth orOf(Truth a, Truth b);

// A Truth used as a condition: Null counts as false.
inline bool condition(Truth t)
{
    return t == Truth::True;
}

// Leading and trailing spaces (U+0020 only) removed; Null stays Null and a
// number takes part through its text form.
FieldValue trim(const FieldValue &value);
// The same for characters in place.
QStringView trimSpaces(QStringView text);

// The first n characters of text, or all of it when it is shorter.
QString left(const QString &text, int n);

// Text form of a fractional number: a whole one as its exact digits,
// otherwise the shortest round-trip decimal, in plain notation down to
// 0.00001, no trailing ".0".
QString fractionalText(double number);

} // namespace kestrelon
