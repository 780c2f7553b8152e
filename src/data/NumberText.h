// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DecimalNumber.h"

#include <QStringView>
#include <optional>
#include <string>
#include <string_view>

namespace kestrelon {

// A number read from text: whole when the text has no fraction or exponent
// and fits 64 bits, fractional otherwise. A number that text spells also
// keeps its exact digits; a binary fraction (a double from a floating-point
// column) has none.
struct Number
{
    bool isWhole = true;
    qint64 whole = 0;
    double fractional = 0; // the nearest double, when not whole
    std::optional<DecimalNumber> exact;

    static Number ofWhole(qint64 n) { return {true, n, 0, std::nullopt}; }
    static Number ofFractional(double d) { return {false, 0, d, std::nullopt}; }
    double toDouble() const { return isWhole ? double(whole) : fractional; }
    // Whether the value is known to its last decimal digit.
    bool isExact() const { return isWhole || exact; }
    DecimalNumber toDecimal() const { return isWhole ? DecimalNumber::ofWhole(whole) : *exact; }
};

// The number that text spells, allowing surrounding spaces: an optional sign,
// digits with an optional fraction, and an optional exponent. Anything else
// spells no number.
std::optional<Number> parseNumber(QStringView text);
// The same for text in single bytes; bytes beyond ASCII spell no number.
std::optional<Number> parseNumber(std::string_view text);

// The digits of text that spells a whole number without a fraction or an
// exponent, of any length: no leading zeros, a sign only when negative.
// Nothing for any other text.
std::optional<std::string> wholeDigits(std::string_view text);

} // namespace kestrelon
