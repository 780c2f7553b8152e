// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OdbcHandle.h"

#include "OdbcApi.h"
#include <memory>

namespace kestrelon {

// Where another thread sends SQLCancel to stop a call running on one
// connection. Most drivers take it on the running statement itself. The
// SQLite driver, given that statement, also closes its cursor there and
// then, freeing memory the calling thread is still reading; its cancel
// interrupts the whole connection, so it is sent to a spare statement of the
// same connection, which nothing else uses.
class StatementCanceller
{
public:
    // The canceller for an open connection, to SQLite's driver or another.
    static StatementCanceller forConnection(SQLHDBC connection, bool sqlite);

    // The statement to hand to SQLCancel to stop a call on `running`.
    SQLHSTMT target(SQLHSTMT running) const { return spare_ ? spare_->get() : running; }

private:
    std::unique_ptr<odbc::Handle> spare_;
};

} // namespace kestrelon
