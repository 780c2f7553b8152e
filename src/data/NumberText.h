// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>
#include <optional>
#include <string>
#include <string_view>

namespace kestrelon {

// A number read from text: whole when the text has no fraction or exponent
// and fits 64 bits, fractional otherwise.
struct Number
{
    bool isWhole = true;
    qint64 whole = 0;
    double fractional = 0;

    static Number ofWhole(qint64 n) { return {true, n, 0}; }
    static Number ofFractional(double d) { return {false, 0, d}; }
    double toDouble() const { return isWhole ? double(whole) : fractional; }
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
