// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OdbcApi.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace kestrelon {

class ConnectionSockets;

// Bounds each call a connection makes to its driver, beyond what the driver
// itself bounds. A call still waiting when the limit runs out is ended: its
// connection's sockets are shut down, so that a server that stopped
// answering (its process stopped, the network gone) cannot hold the program;
// on a connection without sockets the statement is cancelled. One thread,
// started with the first call, waits for the limit of the call running.
class Watchdog
{
public:
    explicit Watchdog(std::chrono::seconds limit);
    ~Watchdog();
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

    // Watches one call for as long as it lives.
    class Watch
    {
    public:
        ~Watch() { watchdog_.end(); }
        Watch(const Watch &) = delete;
        Watch &operator=(const Watch &) = delete;
        // Whether the limit ran out and the call was ended.
        bool ranOut() const;

    private:
        friend class Watchdog;
        explicit Watch(Watchdog &watchdog) : watchdog_(watchdog) {}
        Watchdog &watchdog_;
    };

    // `sockets` must stay unchanged while the call runs.
    Watch watch(SQLHSTMT statement, const ConnectionSockets &sockets);

private:
    void end();
    void run();

    const std::chrono::seconds limit_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
    bool stopping_ = false;
    bool idle_ = true; // the thread waits for a call, not for a limit
    bool watching_ = false;
    bool ranOut_ = false;
    std::chrono::steady_clock::time_point deadline_;
    SQLHSTMT statement_ = SQL_NULL_HSTMT;
    const ConnectionSockets *sockets_ = nullptr;
};

} // namespace kestrelon
