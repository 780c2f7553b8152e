// SPDX-License-Identifier: GPL-3.0-or-later
#include "Watchdog.h"

#include "ConnectionSockets.h"

#include "OdbcApi.h"

namespace kestrelon {

Watchdog::Watchdog(std::chrono::seconds limit) : limit_(limit) {}

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
        deadline_ = std::chrono::steady_clock::now() + limit_;
        watching_ = true;
        ranOut_ = false;
        // Calls follow each other quickly while rows are read: the thread is
        // woken only when it waits for no call at all.
        wakeThread = idle_;
    }
    if (wakeThread)
        wake_.notify_one();
    return Watch(*this);
}

bool Watchdog::Watch::ranOut() const
{
    const std::lock_guard lock(watchdog_.mutex_);
    return watchdog_.ranOut_;
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
        // A later call may have moved the deadline on while this waited.
        if (wake_.wait_until(lock, deadline_) == std::cv_status::no_timeout || !watching_ ||
            std::chrono::steady_clock::now() < deadline_)
            continue;
        ranOut_ = true;
        watching_ = false;
        if (sockets_->isEmpty())
            SQLCancel(statement_);
        else
            sockets_->shutDown();
    }
}

} // namespace kestrelon
