// SPDX-License-Identifier: GPL-3.0-or-later
#include "OdbcHandle.h"

#include "CancelRequest.h"

#include "OdbcApi.h"

namespace kestrelon::odbc {

Handle::~Handle()
{
    release();
}

void Handle::reset(SQLHANDLE handle)
{
    release();
    handle_ = handle;
}

// A handle that a cancel is being sent to is freed once the cancel returns.
void Handle::release()
{
    if (handle_ == SQL_NULL_HANDLE)
        return;
    if (CancelRequest::freeLater(type_, handle_)) {
        handle_ = SQL_NULL_HANDLE;
        return;
    }
    if (type_ == SQL_HANDLE_DBC)
        SQLDisconnect(handle_);
    SQLFreeHandle(type_, handle_);
    handle_ = SQL_NULL_HANDLE;
}

} // namespace kestrelon::odbc
