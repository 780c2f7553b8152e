// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <sql.h>

#include <vector>

namespace kestrelon::odbc {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t),
              "the wide ODBC API must use UTF-16 code units, as QString does");

// A QString as a null-terminated SQLWCHAR array for the wide ODBC calls.
std::vector<SQLWCHAR> toWide(const QString &text);

// Wide characters from an ODBC buffer as a QString.
inline QString fromWide(const SQLWCHAR *text, qsizetype length)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text), length);
}

} // namespace kestrelon::odbc
