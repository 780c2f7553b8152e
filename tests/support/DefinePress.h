// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class Form1;

namespace testsupport {

// Presses "Define" as a user does, and returns once the text box and the
// label show what the request gave (or its error box has opened).
void defineAndWait(Form1 &form);

} // namespace testsupport
