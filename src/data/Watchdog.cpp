// SPDX-License-Identifier: GPL-3.0-or-later
#include "Watchdog.h"

#include "CancelRequest.h"
#include "ConnectionSockets.h"

#include "OdbcApi.h"
#include <algorithm>

namespace kestrelon {

Watchdog::Watchdog(std::chrono::seconds cancelAfter, std::chrono::seconds cutAfter)
    : cancelAfter_(cancelAfter), cutAfter_(cutAfter)
{
}

Watchdog::~Watchdog()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

Watchdog::Watch Watchdog::watch(SQLHSTMT statement, const ConnectionSockets &sockets)
{
    bool wakeThread = false;
    {
        const std::lock_guard lock(mutex_);
        if (!thread_.joinable())
            thread_ = std::thread([this] { run(); });
        statement_ = statement;
        sockets_ = &sockets;
        started_ = Clock::now();
        watching_ = true;
        ending_ = Ending::InTime;
        // Calls follow each other quickly while rows are read: the thread is
        // woken only when it waits for no call at all.
        wakeThread = idle_;
    }
    if (wakeThread)
        wake_.notify_one();
    return Watch(*this);
}

Watchdog::Ending Watchdog::ending() const
{
    const std::lock_guard lock(mutex_);
    return ending_;
}

void Watchdog::end()
{
    const std::lock_guard lock(mutex_);
    watching_ = false;
}

void Watchdog::run()
{
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        idle_ = !watching_;
        if (idle_) {
            wake_.wait(lock);
            continue;
        }
        wake_.wait_for(lock, lookEvery);
        if (watching_)
            look(Clock::now());
    }
}

// Under the lock: the call cannot end, nor its statement go, meanwhile.
void Watchdog::look(Clock::time_point now)
{
    const std::optional<std::uint64_t> bytes = sockets_->bytesReceived();
    if (bytes) {
        // A connection made anew counts from nothing again.
        const std::uint64_t gained = *bytes >= lastBytes_ ? *bytes - lastBytes_ : *bytes;
        if (gained > 0) {
            lastHeard_ = now;
            received_.fetch_add(gained, std::memory_order_relaxed);
        }
        lastBytes_ = *bytes;
    }
    const auto silence = now - std::max(started_, lastHeard_);
    if (bytes && ending_ == Ending::InTime && silence >= cancelAfter_) {
        ending_ = Ending::Cancelled;
        odbc::CancelRequest::sendInBackground(odbc::CancelRequest(statement_));
    }
    if (silence < cutAfter_)
        return;
    watching_ = false;
    if (sockets_->isEmpty()) {
        ending_ = Ending::Cancelled;
        odbc::CancelRequest::sendInBackground(odbc::CancelRequest(statement_));
    } else {
        ending_ = Ending::CutOff;
        sockets_->shutDown();
    }
}

} // namespace kestrelon
