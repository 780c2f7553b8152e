// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Error.h"

#include "OdbcApi.h"

namespace kestrelon::odbc {

// The diagnostic records of a handle after a failed call, as an Error: the
// first native error number (or OdbcCallFailed) and the driver's messages;
// TimedOut instead when a record says the time limit ran out. Any occurrence
// of `secret` in the messages is masked.
Error diagnosticError(SQLSMALLINT handleType, SQLHANDLE handle, const QString &context,
                      const QString &secret = {});

// Whether the last call on the statement failed because its connection is
// gone: the server went away, restarted, or ended the session.
bool lostConnection(SQLHSTMT statement, SQLHDBC connection);

} // namespace kestrelon::odbc
