// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OdbcApi.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace kestrelon {

class ConnectionSockets;

// Bounds each call a connection makes to its driver, beyond what the driver
// itself bounds, by silence rather than length: where the connection's
// sockets tell how many bytes have come, a call is ended only once nothing
// has come for a while, however long the whole answer takes over a slow
// link. After `cancelAfter` of silence the statement is cancelled, as a
// server's own time-out would end it; after `cutAfter` the connection's
// sockets are shut down, so that a server that stopped answering (its
// process stopped, the network gone) cannot hold the program. Where the
// sockets cannot tell, the call's whole length counts, and the statement
// is cancelled after `cutAfter`. One thread, started with the first call,
// watches the call running; cancels are sent from threads of their own.
class Watchdog
{
public:
    Watchdog(std::chrono::seconds cancelAfter, std::chrono::seconds cutAfter);
    ~Watchdog();
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

    // How the last call ended: in time, or when a limit ran out.
    enum class Ending { InTime, Cancelled, CutOff };

    // Watches one call for as long as it lives.
    class Watch
    {
    public:
        ~Watch() { watchdog_.end(); }
        Watch(const Watch &) = delete;
        Watch &operator=(const Watch &) = delete;
        // Whether a limit ran out and the call was ended.
        bool ranOut() const { return watchdog_.ending() != Ending::InTime; }

    private:
        friend class Watchdog;
        explicit Watch(Watchdog &watchdog) : watchdog_(watchdog) {}
        Watchdog &watchdog_;
    };

    // `statement` is where a cancel goes; `sockets` must stay unchanged
    // while the call runs.
    Watch watch(SQLHSTMT statement, const ConnectionSockets &sockets);
    Ending ending() const;
    // The bytes received by the connections watched, as last seen; any
    // thread may ask.
    std::uint64_t bytesReceived() const { return received_.load(std::memory_order_relaxed); }

    // How often the sockets are looked at while a call runs.
    static constexpr std::chrono::milliseconds lookEvery{250};

private:
    using Clock = std::chrono::steady_clock;

    void end();
    void run();
    void look(Clock::time_point now);

    const std::chrono::seconds cancelAfter_;
    const std::chrono::seconds cutAfter_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
    bool stopping_ = false;
    bool idle_ = true; // the thread waits for a call, not for a limit
    bool watching_ = false;
    Ending ending_ = Ending::InTime;
    Clock::time_point started_;   // the call's start
    Clock::time_point lastHeard_; // the last byte seen to arrive
    std::uint64_t lastBytes_ = 0;
    std::atomic<std::uint64_t> received_{0};
    SQLHSTMT statement_ = SQL_NULL_HSTMT;
    const ConnectionSockets *sockets_ = nullptr;
};

} // namespace kestrelon
