// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/FieldValue.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

namespace fuzzing {

// Stops the run with the failed property; libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// Text that is often number-like, sometimes spaced, sometimes anything.
inline QString fuzzedText(FuzzedDataProvider &data)
{
    static const char16_t numberish[] = u" +-.0123456789eE";
    static const char16_t awkward[] = {u' ',   u'\t', u'\r', u'\n', 0x00a0, 0x2028, 0x0301, 0xd83d,
                                       0xdc8e, u'\\', u'"',  u'\'', u'x',   u'A',   u'a',   0x05d0};
    const int length = data.ConsumeIntegralInRange(0, 40);
    const int style = data.ConsumeIntegralInRange(0, 2);
    QString text;
    for (int i = 0; i < length && data.remaining_bytes() > 0; ++i) {
        switch (style) {
        case 0:
            text += QChar(numberish[data.ConsumeIntegralInRange<size_t>(0, 15)]);
            break;
        case 1:
            text += QChar(awkward[data.ConsumeIntegralInRange<size_t>(0, 15)]);
            break;
        default:
            text += QChar(data.ConsumeIntegral<char16_t>());
            break;
        }
    }
    return text;
}

inline qint64 fuzzedWhole(FuzzedDataProvider &data)
{
    static const qint64 edges[] = {0,
                                   1,
                                   -1,
                                   2,
                                   100,
                                   std::numeric_limits<qint64>::max(),
                                   std::numeric_limits<qint64>::min(),
                                   std::numeric_limits<qint64>::max() - 1,
                                   qint64(1) << 53,
                                   (qint64(1) << 53) + 1,
                                   qint64(1) << 31};
    if (data.ConsumeBool())
        return edges[data.ConsumeIntegralInRange<size_t>(0, std::size(edges) - 1)];
    return data.ConsumeIntegral<qint64>();
}

inline double fuzzedFraction(FuzzedDataProvider &data)
{
    static const double edges[] = {0.0,
                                   -0.0,
                                   1.0,
                                   0.5,
                                   1.5,
                                   0.1,
                                   1e15,
                                   1e-5,
                                   9.999999999999999e14,
                                   9223372036854775808.0,
                                   -9223372036854775808.0,
                                   std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(),
                                   std::numeric_limits<double>::quiet_NaN(),
                                   std::numeric_limits<double>::denorm_min(),
                                   std::numeric_limits<double>::max()};
    if (data.ConsumeBool())
        return edges[data.ConsumeIntegralInRange<size_t>(0, std::size(edges) - 1)];
    return data.ConsumeFloatingPoint<double>();
}

inline kestrelon::FieldValue fuzzedValue(FuzzedDataProvider &data)
{
    using kestrelon::FieldValue;
    switch (data.ConsumeIntegralInRange(0, 5)) {
    case 0:
        return FieldValue();
    case 1:
        return FieldValue::null();
    case 2:
        return FieldValue::whole(fuzzedWhole(data));
    case 3:
        return FieldValue::fractional(fuzzedFraction(data));
    case 4: // a number spelled as text, as some drivers deliver it
        return FieldValue::text(data.ConsumeBool()
                                    ? QString::number(fuzzedWhole(data))
                                    : kestrelon::fractionalText(fuzzedFraction(data)));
    default:
        return FieldValue::text(fuzzedText(data));
    }
}

} // namespace fuzzing
