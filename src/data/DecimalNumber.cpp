// SPDX-License-Identifier: GPL-3.0-or-later
#include "DecimalNumber.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <limits>

namespace kestrelon {

namespace {

std::string_view withoutLeadingZeros(std::string_view digits)
{
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove_prefix(1);
    return digits;
}

// -1, 0 or 1 as a is less than, equal to or greater than b.
int compareMagnitudes(std::string_view a, std::string_view b)
{
    a = withoutLeadingZeros(a);
    b = withoutLeadingZeros(b);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// Digit strings of equal length.
std::string addMagnitudes(const std::string &a, const std::string &b)
{
    std::string sum(a.size() + 1, '0');
    int carry = 0;
    for (size_t i = a.size(); i-- > 0;) {
        const int digit = (a[i] - '0') + (b[i] - '0') + carry;
        sum[i + 1] = char('0' + digit % 10);
        carry = digit / 10;
    }
    sum[0] = char('0' + carry);
    return sum;
}

// Digit strings of equal length, a not less than b.
std::string subtractMagnitudes(const std::string &a, const std::string &b)
{
    std::string difference(a.size(), '0');
    int borrow = 0;
    for (size_t i = a.size(); i-- > 0;) {
        int digit = (a[i] - '0') - (b[i] - '0') - borrow;
        borrow = digit < 0 ? 1 : 0;
        difference[i] = char('0' + digit + 10 * borrow);
    }
    return difference;
}

} // namespace

DecimalNumber::DecimalNumber(bool negative, std::string digits, size_t scale)
    : negative_(negative), digits_(std::move(digits)), scale_(scale)
{
    normalize();
}

void DecimalNumber::normalize()
{
    const size_t leading = digits_.find_first_not_of('0');
    digits_.erase(0, leading == std::string::npos ? digits_.size() : leading);
    while (scale_ > 0 && !digits_.empty() && digits_.back() == '0') {
        digits_.pop_back();
        --scale_;
    }
    if (digits_.empty()) {
        digits_ = "0";
        scale_ = 0;
        negative_ = false;
    }
}

DecimalNumber DecimalNumber::ofWhole(qint64 number)
{
    char text[24];
    const auto end = std::to_chars(std::begin(text), std::end(text), number).ptr;
    return *parse(std::string_view(text, size_t(end - text)));
}

DecimalNumber DecimalNumber::ofWholeDouble(double number)
{
    // Fixed notation without a fraction spells a double's exact value.
    char text[std::numeric_limits<double>::max_exponent10 + 8];
    const auto end =
        std::to_chars(std::begin(text), std::end(text), number, std::chars_format::fixed, 0).ptr;
    return *parse(std::string_view(text, size_t(end - text)));
}

std::optional<DecimalNumber> DecimalNumber::parse(std::string_view text)
{
    size_t i = 0;
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        ++i;
    std::string digits;
    size_t fraction = 0;
    bool inFraction = false;
    for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
        if (text[i] == '.') {
            inFraction = true;
            continue;
        }
        if (!digits.empty() || text[i] != '0')
            digits.push_back(text[i]);
        if (inFraction)
            ++fraction;
    }
    long long exponent = 0;
    if (i < text.size()) {
        std::string_view power = text.substr(i + 1);
        if (!power.empty() && power.front() == '+')
            power.remove_prefix(1);
        const auto result = std::from_chars(power.data(), power.data() + power.size(), exponent);
        if (result.ec != std::errc() || std::abs(exponent) > qint64(2 * longestDigits))
            return digits.empty() ? std::optional(DecimalNumber()) : std::nullopt;
    }
    if (digits.empty())
        return DecimalNumber();
    // The value is the digits times ten to the power of `shift`.
    const long long shift = exponent - (long long)(fraction);
    if (shift >= 0) {
        if (digits.size() + size_t(shift) > longestDigits)
            return std::nullopt;
        digits.append(size_t(shift), '0');
        return DecimalNumber(negative, std::move(digits), 0);
    }
    if (size_t(-shift) > longestDigits)
        return std::nullopt;
    return DecimalNumber(negative, std::move(digits), size_t(-shift));
}

std::optional<qint64> DecimalNumber::toWhole() const
{
    if (!isWhole())
        return std::nullopt;
    const std::string spelt = text();
    qint64 whole = 0;
    const auto result = std::from_chars(spelt.data(), spelt.data() + spelt.size(), whole);
    if (result.ec != std::errc())
        return std::nullopt;
    return whole;
}

double DecimalNumber::toDouble() const
{
    const std::string spelt = text();
    double number = 0;
    const auto result = std::from_chars(spelt.data(), spelt.data() + spelt.size(), number);
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond a double's range: too large when it has whole digits, else too small.
        const bool large = digits_.size() > scale_;
        number = large ? std::numeric_limits<double>::infinity() : 0.0;
        return negative_ ? -number : number;
    }
    return number;
}

std::string DecimalNumber::text() const
{
    std::string spelt = negative_ ? "-" : "";
    if (scale_ == 0)
        return spelt + digits_;
    std::string digits = digits_;
    if (digits.size() <= scale_)
        digits.insert(0, scale_ + 1 - digits.size(), '0');
    const size_t point = digits.size() - scale_;
    return spelt + digits.substr(0, point) + '.' + digits.substr(point);
}

DecimalNumber DecimalNumber::minus(const DecimalNumber &other) const
{
    // a - b as a + (-b), both with the larger scale.
    const size_t scale = std::max(scale_, other.scale_);
    std::string a = digits_ + std::string(scale - scale_, '0');
    std::string b = other.digits_ + std::string(scale - other.scale_, '0');
    const size_t width = std::max(a.size(), b.size());
    a.insert(0, width - a.size(), '0');
    b.insert(0, width - b.size(), '0');
    const bool bNegative = !other.negative_;
    if (negative_ == bNegative)
        return DecimalNumber(negative_, addMagnitudes(a, b), scale);
    if (compareMagnitudes(a, b) >= 0)
        return DecimalNumber(negative_, subtractMagnitudes(a, b), scale);
    return DecimalNumber(bNegative, subtractMagnitudes(b, a), scale);
}

} // namespace kestrelon
