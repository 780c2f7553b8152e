// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConnectionSockets.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace kestrelon {

// Bounds one connect as a whole. A driver keeps to the login time-out only
// while it reaches the server and logs in; a server that stops answering
// right after the login (while the driver readies the session) would hold
// the connect for ever. Once `limit` has passed, the sockets the process
// gained since the guard was made are shut down, so that the driver's wait
// ends and the connect fails.
class LoginGuard
{
public:
    explicit LoginGuard(std::chrono::seconds limit);
    ~LoginGuard();
    LoginGuard(const LoginGuard &) = delete;
    LoginGuard &operator=(const LoginGuard &) = delete;

    // The sockets held before the connect began.
    const ConnectionSockets &before() const { return before_; }
    // Whether the limit ran out and the connect was cut off.
    bool ranOut() const;

private:
    const ConnectionSockets before_ = ConnectionSockets::ofProcess();
    mutable std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    bool ranOut_ = false;
    std::thread thread_; // last: started once everything above exists
};

} // namespace kestrelon
