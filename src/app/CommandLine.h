// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kestrelon {

// Reads the command line before anything needs a display. --help and
// --version are answered, and the process ends, as Qt's command-line parser
// does: on a terminal, or in a message box where the program has none
// (Windows). An unknown option or any argument ends it too, with a one-line
// error and exit status 1. Otherwise it returns and the window starts; Qt's
// own options (such as -platform) are left for the window's application.
void readCommandLine(int argc, char *argv[]);

} // namespace kestrelon
