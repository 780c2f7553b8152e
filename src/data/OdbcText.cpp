// SPDX-License-Identifier: GPL-3.0-or-later
#include "OdbcText.h"

namespace kestrelon::odbc {

std::vector<SQLWCHAR> toWide(const QString &text)
{
    std::vector<SQLWCHAR> wide(size_t(text.size()) + 1, 0);
    std::copy(text.utf16(), text.utf16() + text.size(), wide.begin());
    return wide;
}

} // namespace kestrelon::odbc
