#pragma once

#include <optional>

namespace kestrelon {

// Answers --help and --version on the terminal, before anything needs a
// display, and gives back the exit code; with anything else on the command
// line it gives back nothing and the window starts.
std::optional<int> answerOnTerminal(int &argc, char *argv[]);

// Refuses options the program does not know, once the window's application
// has taken its own options (such as -platform) off the command line.
void refuseUnknownOptions();

} // namespace kestrelon
