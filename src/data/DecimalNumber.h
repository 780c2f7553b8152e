// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>
#include <optional>
#include <string>
#include <string_view>

namespace kestrelon {

// A number held exactly as decimal digits: what a text spells, or a NUMERIC
// or DECIMAL cell holds. A double cannot hold 9007199254740993 or 0.1, and
// rounding such a value would show, and key, a number that is not the
// stored one.
class DecimalNumber
{
public:
    // Digits this long, before or after the point, are more than any
    // column holds; text beyond them is left to binary floating point.
    static constexpr size_t longestDigits = 1000;

    DecimalNumber() = default;
    static DecimalNumber ofWhole(qint64 number);
    // The exact value of a whole, finite double.
    static DecimalNumber ofWholeDouble(double number);
    // The number of "[+-]digits[.digits][(e|E)[+-]digits]", already checked
    // to have that shape; nothing when its digits would be too many.
    static std::optional<DecimalNumber> parse(std::string_view text);

    bool isWhole() const { return scale_ == 0; }
    // The value as a 64-bit whole number, when it is one.
    std::optional<qint64> toWhole() const;
    // The nearest double.
    double toDouble() const;
    // Plain decimal digits: a minus sign when negative, no leading zeros,
    // no trailing zeros after the point, and no point for a whole number.
    std::string text() const;

    DecimalNumber minus(const DecimalNumber &other) const;
    bool operator==(const DecimalNumber &other) const
    {
        return negative_ == other.negative_ && scale_ == other.scale_ && digits_ == other.digits_;
    }
    bool operator!=(const DecimalNumber &other) const { return !(*this == other); }

private:
    DecimalNumber(bool negative, std::string digits, size_t scale);
    // Drops leading zeros, trailing zeros after the point, and the sign of zero.
    void normalize();

    bool negative_ = false;
    std::string digits_ = "0"; // the value times 10^scale_, without its sign
    size_t scale_ = 0;         // digits after the point
};

} // namespace kestrelon
