// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

namespace testsupport {

// Runs the action and gives the number of the kestrelon::Error it raised
// (0 when it raised none), and its description when asked for.
int errorNumberOf(const std::function<void()> &action, QString *description = nullptr);

} // namespace testsupport
