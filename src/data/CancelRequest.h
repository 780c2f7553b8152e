// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OdbcApi.h"

namespace kestrelon::odbc {

// A cancel for the call running on a statement, sent from another thread.
// A driver may take long over it: psqlODBC connects to the server anew
// for it, and waits as long as connecting takes, on a lost network until
// the system gives up. Meanwhile the statement may neither be freed nor
// its connection closed: from the request's making to its end, a Handle
// that lets one of them go leaves the freeing to the request (see
// Handle::reset). Make the request while the call is known to run (under
// the lock its end takes), send it outside that lock.
class CancelRequest
{
public:
    explicit CancelRequest(SQLHSTMT statement);
    ~CancelRequest();
    CancelRequest(CancelRequest &&other) noexcept;
    CancelRequest(const CancelRequest &) = delete;
    CancelRequest &operator=(const CancelRequest &) = delete;
    CancelRequest &operator=(CancelRequest &&) = delete;

    void send() const;
    // Sends it on a thread of its own, so that the caller does not wait.
    static void sendInBackground(CancelRequest request);

    // Whether freeing this handle waits for a cancel; if so, it is freed
    // when the last cancel sent meanwhile has returned.
    static bool freeLater(SQLSMALLINT type, SQLHANDLE handle);

private:
    SQLHSTMT statement_;
};

} // namespace kestrelon::odbc
