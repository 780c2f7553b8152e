// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OdbcApi.h"

#include <QtGlobal>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kestrelon {

// Lets another thread stop the work of one connection: the statement it is
// running is cancelled with SQLCancel, and every later call fails at once
// until the connection is given a fresh start. Calls register themselves
// with a Call for as long as they run.
//
// Work may carry a number, so that a stop meant for one piece of work,
// arriving late, cannot stop the next.
//
// A cancel that reaches the driver before the statement has begun is lost:
// a driver may first run statements of its own. The cancel is therefore
// sent again, now and then, for as long as the same call still runs;
// interrupting returns once it has ended. A driver may take long over a
// cancel (on a network that lost the server, until connecting gives up):
// the call may end meanwhile, and other threads are not held up.
class Interruption
{
public:
    using Work = quint64;

    // Thread-safe: cancels the running statement, if any, and refuses the
    // calls that follow. Returns once the call that ran has ended.
    void interrupt();
    // The same, only while `work` is the connection's current work.
    void interrupt(Work work);
    // Cancels the running statement once, from a thread of its own, and
    // refuses the calls that follow; returns at once.
    void interruptWithoutWaiting();
    // Accepts calls again; the caller does this before starting new work.
    void reset();
    // Accepts calls again for the work numbered `work`.
    void begin(Work work);
    bool isInterrupted() const;

    // Marks a call as running for the life of the object; `statement` is
    // where SQLCancel goes to stop it. Raises OperationCancelled when the
    // connection is interrupted.
    class Call
    {
    public:
        Call(Interruption &interruption, SQLHSTMT statement);
        ~Call();
        Call(const Call &) = delete;
        Call &operator=(const Call &) = delete;

    private:
        Interruption &interruption_;
    };

    static constexpr std::chrono::milliseconds cancelAgainAfter{250};

private:
    void interruptLocked(std::unique_lock<std::mutex> &lock);

    mutable std::mutex mutex_;
    std::condition_variable callEnded_;
    SQLHSTMT running_ = SQL_NULL_HSTMT;
    quint64 calls_ = 0; // calls registered so far
    Work work_ = 0;
    bool interrupted_ = false;
};

} // namespace kestrelon
