// SPDX-License-Identifier: GPL-3.0-or-later
#include "StartupWarmUp.h"

#include "SourceLoader.h"

#ifdef KESTRELON_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace kestrelon {

namespace {

// The configuration read stays fontconfig's current one, which Qt's font
// database takes up. A platform without fontconfig has nothing to read.
void readFontConfiguration()
{
#ifdef KESTRELON_FONTCONFIG
    FcInit();
#endif
}

} // namespace

StartupWarmUp::StartupWarmUp() : fonts_(fontsRead_.get_future())
{
    thread_ = std::thread([this] {
        readFontConfiguration();
        fontsRead_.set_value();
        try {
            SourceLoader::preloadDriver();
        } catch (...) {
            // The connection meets the same fault, and reports it.
        }
    });
}

StartupWarmUp::~StartupWarmUp()
{
    thread_.join();
}

void StartupWarmUp::waitForFonts()
{
    if (fonts_.valid())
        fonts_.get();
}

} // namespace kestrelon
