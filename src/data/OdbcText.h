// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OdbcApi.h"
#include <QString>

#include <vector>

namespace kestrelon::odbc {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t),
              "the wide ODBC API must use UTF-16 code units, as QString does");

// A QString as a null-terminated SQLWCHAR array for the wide ODBC calls.
std::vector<SQLWCHAR> toWide(const QString &text);

// Wide characters from an ODBC buffer as a QString, unit for unit: a
// leading U+FEFF or U+FFFE is a character of the value, not a byte-order
// mark to drop or to swap the rest by.
inline QString fromWide(const SQLWCHAR *text, qsizetype length)
{
    return QString(reinterpret_cast<const QChar *>(text), length);
}

} // namespace kestrelon::odbc
