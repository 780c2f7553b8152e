// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <future>
#include <thread>

namespace kestrelon {

// Work the start-up does ahead, on a thread of its own, while the program
// connects to the display and builds its window: it reads the system's font
// configuration, most of what the window's first line of text costs, then
// loads the data source's ODBC driver, most of what connecting to a local
// file costs. Neither needs anything from Qt or from the window, and the
// window never waits for the driver: connecting finds it loaded, or loads
// it as it always does.
class StartupWarmUp
{
public:
    StartupWarmUp();
    // Waits for the thread.
    ~StartupWarmUp();
    StartupWarmUp(const StartupWarmUp &) = delete;
    StartupWarmUp &operator=(const StartupWarmUp &) = delete;

    // Returns once the font configuration is read. Text laid out before
    // would read it a second time.
    void waitForFonts();

private:
    std::promise<void> fontsRead_;
    std::future<void> fonts_;
    std::thread thread_;
};

} // namespace kestrelon
