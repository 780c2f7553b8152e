// SPDX-License-Identifier: GPL-3.0-or-later
#include "Interruption.h"

#include "CancelRequest.h"
#include "Error.h"

#include "OdbcApi.h"

namespace kestrelon {

void Interruption::interrupt()
{
    std::unique_lock lock(mutex_);
    interruptLocked(lock);
}

void Interruption::interrupt(Work work)
{
    std::unique_lock lock(mutex_);
    if (work == work_)
        interruptLocked(lock);
}

void Interruption::interruptWithoutWaiting()
{
    const std::lock_guard lock(mutex_);
    interrupted_ = true;
    if (running_ != SQL_NULL_HSTMT)
        odbc::CancelRequest::sendInBackground(odbc::CancelRequest(running_));
}

// The cancel is made under the lock, while the call is known to run, and
// sent outside it: the driver may take long over it, and the call must be
// free to end meanwhile. No new call begins once interrupted.
void Interruption::interruptLocked(std::unique_lock<std::mutex> &lock)
{
    interrupted_ = true;
    const quint64 call = calls_;
    const auto ended = [&] { return running_ == SQL_NULL_HSTMT || calls_ != call; };
    while (!ended()) {
        {
            const odbc::CancelRequest request(running_);
            lock.unlock();
            request.send();
        }
        lock.lock();
        callEnded_.wait_for(lock, cancelAgainAfter, ended);
    }
}

void Interruption::reset()
{
    const std::lock_guard lock(mutex_);
    interrupted_ = false;
}

void Interruption::begin(Work work)
{
    const std::lock_guard lock(mutex_);
    work_ = work;
    interrupted_ = false;
}

bool Interruption::isInterrupted() const
{
    const std::lock_guard lock(mutex_);
    return interrupted_;
}

Interruption::Call::Call(Interruption &interruption, SQLHSTMT statement)
    : interruption_(interruption)
{
    const std::lock_guard lock(interruption_.mutex_);
    if (interruption_.interrupted_)
        throw Error(OperationCancelled, QStringLiteral("Operation cancelled"));
    interruption_.running_ = statement;
    ++interruption_.calls_;
}

Interruption::Call::~Call()
{
    {
        const std::lock_guard lock(interruption_.mutex_);
        interruption_.running_ = SQL_NULL_HSTMT;
    }
    interruption_.callEnded_.notify_all();
}

} // namespace kestrelon
