// SPDX-License-Identifier: GPL-3.0-or-later
// Random values against the field-value operations, checking the rules
// they must keep whatever a data source delivers.

#include "FuzzValues.h"

#include "data/Error.h"
#include "data/NumberText.h"

#include <QtNumeric>

#include <cmath>

using namespace kestrelon;
using fuzzing::fuzzedValue;

namespace {

bool isNaN(const FieldValue &value)
{
    return value.kind() == FieldValue::Kind::Fractional && std::isnan(value.fractionalNumber());
}

bool onlySpaces(QStringView text)
{
    for (QChar c : text)
        if (c != u' ')
            return false;
    return true;
}

void checkEquality(const FieldValue &a, const FieldValue &b)
{
    const Truth ab = equalsValue(a, b);
    FUZZ_CHECK(ab == equalsValue(b, a));
    FUZZ_CHECK(equals(a, b) == (ab == Truth::True));
    FUZZ_CHECK((ab == Truth::Null) == (a.isNull() || b.isNull()));
    if (!a.isNull() && !isNaN(a))
        FUZZ_CHECK(equals(a, a));
}

void checkConcat(const FieldValue &a, const FieldValue &b)
{
    const FieldValue joined = concat(a, b);
    if (a.isNull() && b.isNull()) {
        FUZZ_CHECK(joined.isNull());
        return;
    }
    FUZZ_CHECK(joined.kind() == FieldValue::Kind::Text);
    FUZZ_CHECK(joined.toText() == a.toText() + b.toText());
    // Empty and Null add nothing.
    FUZZ_CHECK(concat(a, FieldValue()).toText() == a.toText());
    FUZZ_CHECK(concat(FieldValue::null(), b).toText() == b.toText());
}

void checkTrim(const FieldValue &a)
{
    const FieldValue trimmed = trim(a);
    if (a.isNull()) {
        FUZZ_CHECK(trimmed.isNull());
        return;
    }
    const QString text = a.toText();
    const QString result = trimmed.toText();
    FUZZ_CHECK(trim(trimmed) == trimmed);
    FUZZ_CHECK(!result.startsWith(u' ') && !result.endsWith(u' '));
    // Only spaces go, and only at the ends.
    const qsizetype at = text.indexOf(result);
    FUZZ_CHECK(at >= 0);
    FUZZ_CHECK(onlySpaces(QStringView(text).left(at)));
    FUZZ_CHECK(onlySpaces(QStringView(text).mid(at + result.size())));
}

void checkSubtract(const FieldValue &a, const FieldValue &b)
{
    FieldValue difference;
    try {
        difference = subtract(a, b);
    } catch (const Error &error) {
        // Only text that spells no number may fail, and only as a type mismatch.
        FUZZ_CHECK(error.number() == TypeMismatch);
        FUZZ_CHECK(!a.isNumber() || !b.isNumber());
        return;
    }
    if (a.isNull() || b.isNull()) {
        FUZZ_CHECK(difference.isNull());
        return;
    }
    // A difference that no 64-bit whole number or double holds exactly comes
    // as the digits it has.
    const std::string digits = difference.toText().toStdString();
    const auto exactDifference = DecimalNumber::parse(digits);
    FUZZ_CHECK(difference.isNumber() || (exactDifference && exactDifference->text() == digits));
    if (a.kind() == FieldValue::Kind::Whole && b.kind() == FieldValue::Kind::Whole) {
        qint64 exact = 0;
        if (!qSubOverflow(a.wholeNumber(), b.wholeNumber(), &exact))
            FUZZ_CHECK(difference == FieldValue::whole(exact));
        else
            FUZZ_CHECK(difference.kind() == FieldValue::Kind::Text);
    }
    // Exact operands: adding b back gives a again.
    const auto x = parseNumber(a.toText());
    const auto y = parseNumber(b.toText());
    if (a.kind() != FieldValue::Kind::Fractional && b.kind() != FieldValue::Kind::Fractional && x &&
        y && x->isExact() && y->isExact()) {
        FUZZ_CHECK(exactDifference);
        FUZZ_CHECK(DecimalNumber().minus(*exactDifference).minus(y->toDecimal()) ==
                   DecimalNumber().minus(x->toDecimal()));
    }
}

// A number's text form reads back as the same number, and equals it.
void checkTextForms(const FieldValue &a)
{
    if (a.kind() == FieldValue::Kind::Whole) {
        const auto back = parseNumber(a.toText());
        FUZZ_CHECK(back && back->isWhole && back->whole == a.wholeNumber());
        FUZZ_CHECK(equals(a, FieldValue::text(a.toText())));
    } else if (a.kind() == FieldValue::Kind::Fractional && std::isfinite(a.fractionalNumber())) {
        const auto back = parseNumber(a.toText());
        FUZZ_CHECK(back && back->toDouble() == a.fractionalNumber());
        FUZZ_CHECK(equals(a, FieldValue::text(a.toText())));
    }
}

void checkParse(const FieldValue &a)
{
    const QString text = a.toText();
    const auto number = parseNumber(text);
    if (!number)
        return;
    // Surrounding spaces never change the number.
    const auto spaced = parseNumber(u' ' + text + u' ');
    FUZZ_CHECK(spaced && spaced->isWhole == number->isWhole);
    FUZZ_CHECK(spaced->isWhole
                   ? spaced->whole == number->whole
                   : (spaced->fractional == number->fractional ||
                      (std::isnan(spaced->fractional) && std::isnan(number->fractional))));
}

void checkLeft(const FieldValue &a, int n)
{
    const QString text = a.toText();
    const QString start = left(text, n);
    FUZZ_CHECK(start.size() == qMin<qsizetype>(n, text.size()));
    FUZZ_CHECK(text.startsWith(start));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const FieldValue a = fuzzedValue(data);
    const FieldValue b = fuzzedValue(data);
    checkEquality(a, b);
    checkConcat(a, b);
    checkTrim(a);
    checkSubtract(a, b);
    checkTextForms(a);
    checkParse(a);
    checkLeft(a, data.ConsumeIntegralInRange(0, 50));
    const Truth x = Truth(data.ConsumeIntegralInRange(0, 2));
    const Truth y = Truth(data.ConsumeIntegralInRange(0, 2));
    FUZZ_CHECK(orOf(x, y) == orOf(y, x));
    FUZZ_CHECK(condition(orOf(x, y)) == (condition(x) || condition(y)));
    return 0;
}
