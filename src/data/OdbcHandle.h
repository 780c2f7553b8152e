// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OdbcApi.h"

namespace kestrelon::odbc {

// Owns one ODBC handle and frees it when destroyed, or once the cancels
// sent to it meanwhile have returned (see CancelRequest).
class Handle
{
public:
    Handle(SQLSMALLINT type, SQLHANDLE handle) : type_(type), handle_(handle) {}
    ~Handle();
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;

    SQLSMALLINT type() const { return type_; }
    SQLHANDLE get() const { return handle_; }
    // Frees the handle held and holds `handle` instead.
    void reset(SQLHANDLE handle);

private:
    void release();

    SQLSMALLINT type_;
    SQLHANDLE handle_;
};

} // namespace kestrelon::odbc
