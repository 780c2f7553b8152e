// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdlib>
#include <ctime>

// Milliseconds since the moment the launching shell wrote into
// KESTRELON_BENCH_START_NS (the wall clock in nanoseconds, `date +%s%N`)
// just before it started this process; negative when it wrote nothing.
inline double millisecondsSinceLaunch()
{
    const char *start = std::getenv("KESTRELON_BENCH_START_NS");
    if (!start)
        return -1;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const double nowNs = double(now.tv_sec) * 1e9 + double(now.tv_nsec);
    return (nowNs - std::strtod(start, nullptr)) / 1e6;
}
