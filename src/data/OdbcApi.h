// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The ODBC C API, for every file that calls it. On Windows the ODBC headers
// use the system's own types, so <windows.h> comes first, without its
// min/max macros and rarely used parts.
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

#include <sql.h>
#include <sqlext.h>
