// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kestrelon {

// What every window of the program shares, given to the application once
// it exists: the program's name on the desktop, the globe as the windows'
// icon (at its title-bar sizes until the main window has painted), and the main window presented to
// screen readers as a window.
void setUpApplication();

} // namespace kestrelon
