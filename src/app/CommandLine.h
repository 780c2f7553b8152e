// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kestrelon {

// Answers --help and --version before anything needs a display, and then
// ends the process, as Qt's command-line parser does: on a terminal, or in
// a message box where the program has none (Windows). With anything else on
// the command line it returns and the window starts.
void answerOnTerminal(int &argc, char *argv[]);

// Refuses options the program does not know, once the window's application
// has taken its own options (such as -platform) off the command line.
void refuseUnknownOptions();

} // namespace kestrelon
