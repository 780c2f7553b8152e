// SPDX-License-Identifier: GPL-3.0-or-later
#include "Interruption.h"

#include "Error.h"

#include <sqlext.h>

namespace kestrelon {

void Interruption::interrupt()
{
    const std::lock_guard lock(mutex_);
    interruptLocked();
}

void Interruption::interrupt(Work work)
{
    const std::lock_guard lock(mutex_);
    if (work == work_)
        interruptLocked();
}

// Under the lock, so that the statement handle cannot be freed meanwhile.
void Interruption::interruptLocked()
{
    interrupted_ = true;
    if (running_ != SQL_NULL_HSTMT)
        SQLCancel(running_);
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
}

Interruption::Call::~Call()
{
    const std::lock_guard lock(interruption_.mutex_);
    interruption_.running_ = SQL_NULL_HSTMT;
}

} // namespace kestrelon
