// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kestrelon {

// Has screen readers meet the program's window as a window: Qt presents a
// plain top-level widget as a filler, which they do not announce.
void presentWindowsAsWindows();

} // namespace kestrelon
