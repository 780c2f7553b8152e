// SPDX-License-Identifier: GPL-3.0-or-later
#include "FieldValue.h"

#include "Error.h"
#include "NumberText.h"

#include <QtNumeric>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace kestrelon {

namespace {

// Whole and fractional numbers compared exactly, without the rounding a
// plain conversion of a large whole number to double would bring. Numbers
// known to their last digit compare digit for digit; a binary fraction
// against a decimal one compares as the double the decimal reads as.
bool sameNumber(const Number &a, const Number &b)
{
    if (a.isWhole && b.isWhole)
        return a.whole == b.whole;
    if (a.isExact() && b.isExact())
        return a.toDecimal() == b.toDecimal();
    if (!a.isExact() && !b.isExact())
        return a.fractional == b.fractional;
    const Number &decimal = a.isExact() ? a : b;
    const double binary = a.isExact() ? b.fractional : a.fractional;
    if (!std::isfinite(binary))
        return false;
    if (decimal.isWhole) {
        constexpr double twoTo63 = 9223372036854775808.0;
        return binary >= -twoTo63 && binary < twoTo63 && std::trunc(binary) == binary &&
               static_cast<qint64>(binary) == decimal.whole;
    }
    if (std::trunc(binary) == binary && decimal.toDecimal().isWhole())
        return DecimalNumber::ofWholeDouble(binary) == decimal.toDecimal();
    return decimal.toDouble() == binary;
}

// An exact number as a value: whole when it fits 64 bits, otherwise its
// digits, which no double would keep.
FieldValue exactValue(const DecimalNumber &number)
{
    if (const auto whole = number.toWhole())
        return FieldValue::whole(*whole);
    return FieldValue::text(QString::fromStdString(number.text()));
}

std::optional<Number> numberOf(const FieldValue &value)
{
    switch (value.kind()) {
    case FieldValue::Kind::Whole:
        return Number::ofWhole(value.wholeNumber());
    case FieldValue::Kind::Fractional:
        return Number::ofFractional(value.fractionalNumber());
    default:
        return parseNumber(value.toText());
    }
}

bool isTextual(const FieldValue &value)
{
    return value.kind() == FieldValue::Kind::Text || value.kind() == FieldValue::Kind::Empty;
}

} // namespace

QString fractionalText(double number)
{
    if (std::isnan(number))
        return QStringLiteral("NaN");
    if (std::isinf(number))
        return number > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (number == 0)
        return QStringLiteral("0");
    // A whole number is its exact digits, however large.
    if (std::trunc(number) == number)
        return QString::fromStdString(DecimalNumber::ofWholeDouble(number).text());
    const bool plain = std::fabs(number) >= 1e-5;
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, number,
                      plain ? std::chars_format::fixed : std::chars_format::scientific);
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

void FieldValue::assignText(QStringView text)
{
    QString *own = std::get_if<QString>(&value_);
    if (!own || !own->isDetached() || own->capacity() < text.size()) {
        value_ = text.toString();
        return;
    }
    own->resize(text.size());
    std::copy(text.begin(), text.end(), own->begin());
}

void FieldValue::assignText(QLatin1StringView text)
{
    QString *own = std::get_if<QString>(&value_);
    if (!own || !own->isDetached()) {
        value_ = QString(text);
        return;
    }
    *own = text; // keeps the buffer when it has room
}

QString FieldValue::toText() const
{
    switch (kind()) {
    case Kind::Empty:
    case Kind::Null:
        return {};
    case Kind::Whole:
        return QString::number(wholeNumber());
    case Kind::Fractional:
        return fractionalText(fractionalNumber());
    case Kind::Text:
        return std::get<QString>(value_);
    }
    return {};
}

FieldValue concat(const FieldValue &a, const FieldValue &b)
{
    if (a.isNull() && b.isNull())
        return FieldValue::null();
    return FieldValue::text(a.toText() + b.toText());
}

bool equals(const FieldValue &a, const FieldValue &b)
{
    return equalsValue(a, b) == Truth::True;
}

Truth equalsValue(const FieldValue &a, const FieldValue &b)
{
    if (a.isNull() || b.isNull())
        return Truth::Null;
    if (isTextual(a) && isTextual(b))
        return a.toText() == b.toText() ? Truth::True : Truth::False;
    const auto x = numberOf(a);
    const auto y = numberOf(b);
    return x && y && sameNumber(*x, *y) ? Truth::True : Truth::False;
}

FieldValue subtract(const FieldValue &a, const FieldValue &b)
{
    if (a.isNull() || b.isNull())
        return FieldValue::null();
    const auto x = numberOf(a);
    const auto y = numberOf(b);
    if (!x || !y) {
        const FieldValue &bad = x ? b : a;
        throw Error(TypeMismatch,
                    QStringLiteral("Type mismatch: \"%1\" is not a number").arg(bad.toText()));
    }
    if (x->isWhole && y->isWhole) {
        qint64 difference = 0;
        if (!qSubOverflow(x->whole, y->whole, &difference))
            return FieldValue::whole(difference);
    }
    if (x->isExact() && y->isExact())
        return exactValue(x->toDecimal().minus(y->toDecimal()));
    return FieldValue::fractional(x->toDouble() - y->toDouble());
}

Truth orOf(Truth a, Truth b)
{
    if (a == Truth::True || b == Truth::True)
        return Truth::True;
    if (a == Truth::Null || b == Truth::Null)
        return Truth::Null;
    return Truth::False;
}

FieldValue trim(const FieldValue &value)
{
    if (value.isNull())
        return value;
    const QString text = value.toText();
    const QStringView trimmed = trimSpaces(text);
    return FieldValue::text(text.mid(trimmed.data() - text.data(), trimmed.size()));
}

QStringView trimSpaces(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.sliced(begin, end - begin);
}

QString left(const QString &text, int n)
{
    return text.left(n);
}

} // namespace kestrelon
