#include "NumberText.h"

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
bool wellFormed(const std::string &s, bool &fractional)
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

std::optional<Number> parseNumber(QStringView text)
{
    while (!text.isEmpty() && text.front() == u' ')
        text = text.mid(1);
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    if (text.isEmpty() || text.size() > 400)
        return std::nullopt;

    std::string ascii;
    ascii.reserve(size_t(text.size()));
    for (QChar c : text) {
        if (c.unicode() > 0x7f)
            return std::nullopt;
        ascii.push_back(char(c.unicode()));
    }
    bool fractional = false;
    if (!wellFormed(ascii, fractional))
        return std::nullopt;

    const char *first = ascii.data() + (ascii.front() == '+' ? 1 : 0);
    const char *last = ascii.data() + ascii.size();
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
    return Number::ofFractional(value);
}

} // namespace kestrelon
