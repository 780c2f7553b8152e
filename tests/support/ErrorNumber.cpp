// SPDX-License-Identifier: GPL-3.0-or-later
#include "ErrorNumber.h"

#include "data/Error.h"

namespace testsupport {

int errorNumberOf(const std::function<void()> &action, QString *description)
{
    try {
        action();
    } catch (const kestrelon::Error &error) {
        if (description)
            *description = error.description();
        return error.number();
    }
    return 0;
}

} // namespace testsupport
