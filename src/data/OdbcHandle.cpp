#include "OdbcHandle.h"

#include <sqlext.h>

namespace kestrelon::odbc {

Handle::~Handle()
{
    if (handle_ == SQL_NULL_HANDLE)
        return;
    if (type_ == SQL_HANDLE_DBC)
        SQLDisconnect(handle_);
    SQLFreeHandle(type_, handle_);
}

} // namespace kestrelon::odbc
