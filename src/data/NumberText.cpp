// SPDX-License-Identifier: GPL-3.0-or-later
#include "NumberText.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace kestrelon {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Checks the shape "[+-]digits[.digits][(e|E)[+-]digits]" with at least one
// digit in the mantissa; reports whether it had a fraction or an exponent.
bool wellFormed(std::string_view s, bool &fractional)
{
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < s.size() && isDigit(s[i]))
        ++i, ++digits;
    fractional = false;
    if (i < s.size() && s[i] == '.') {
        fractional = true;
        ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        fractional = true;
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        size_t exponentDigits = 0;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    return i == s.size();
}

} // namespace

std::optional<Number> parseNumber(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    bool fractional = false;
    if (text.empty() || text.size() > 400 || !wellFormed(text, fractional))
        return std::nullopt;

    const char *first = text.data() + (text.front() == '+' ? 1 : 0);
    const char *last = text.data() + text.size();
    if (!fractional) {
        qint64 whole = 0;
        const auto result = std::from_chars(first, last, whole);
        if (result.ec == std::errc() && result.ptr == last)
            return Number::ofWhole(whole);
    }
    double value = 0;
    const auto result = std::from_chars(first, last, value);
    if (result.ptr != last || result.ec != std::errc())
        return std::nullopt;
    Number number = Number::ofFractional(value);
    number.exact = DecimalNumber::parse(std::string_view(first, size_t(last - first)));
    return number;
}

std::optional<std::string> wholeDigits(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    if (text.empty() || !std::all_of(text.begin(), text.end(), isDigit))
        return std::nullopt;
    while (text.size() > 1 && text.front() == '0')
        text.remove_prefix(1);
    std::string digits;
    if (negative && text != "0")
        digits.push_back('-');
    digits.append(text);
    return digits;
}

std::optional<Number> parseNumber(QStringView text)
{
    if (text.size() > 400)
        return std::nullopt;
    std::string ascii;
    ascii.reserve(size_t(text.size()));
    for (QChar c : text) {
        if (c.unicode() > 0x7f)
            return std::nullopt;
        ascii.push_back(char(c.unicode()));
    }
    return parseNumber(std::string_view(ascii));
}

} // namespace kestrelon
