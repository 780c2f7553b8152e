// SPDX-License-Identifier: GPL-3.0-or-later
#include "OdbcHandle.h"

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

void Handle::release()
{
    if (handle_ == SQL_NULL_HANDLE)
        return;
    if (type_ == SQL_HANDLE_DBC)
        SQLDisconnect(handle_);
    SQLFreeHandle(type_, handle_);
    handle_ = SQL_NULL_HANDLE;
}

} // namespace kestrelon::odbc
