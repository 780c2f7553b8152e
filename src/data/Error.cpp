// SPDX-License-Identifier: GPL-3.0-or-later
#include "Error.h"

namespace kestrelon {

Error::Error(int number, QString description)
    : number_(number), description_(std::move(description)), what_(description_.toUtf8())
{
}

} // namespace kestrelon
