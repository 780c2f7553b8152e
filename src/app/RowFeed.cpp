// SPDX-License-Identifier: GPL-3.0-or-later
#include "RowFeed.h"

#include "LoadProgress.h"

#include "data/Database.h"
#include "data/Recordset.h"

#include <chrono>

namespace kestrelon {

namespace {

// How long the window's thread waits for rows before it answers the
// progress window again.
constexpr std::chrono::milliseconds answerEvery{50};

Error asError(const std::exception &error)
{
    return Error(UnexpectedFailure, QString::fromLocal8Bit(error.what()));
}

} // namespace

RowFeed::RowFeed(std::shared_ptr<Database> database, Open open, const RowLayout &layout,
                 bool rewind, LoadProgress &progress)
    : database_(std::move(database)), progress_(progress),
      thread_([this, open = std::move(open), &layout, rewind] { read(open, layout, rewind); })
{
}

RowFeed::~RowFeed()
{
    bool interrupted = false;
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        interrupted = !finished_;
    }
    // Waits for the statement the thread runs, if it is still inside one.
    if (interrupted)
        database_->interruption().interrupt();
    changed_.notify_all();
    thread_.join();
    // The connection serves the window again.
    if (interrupted)
        database_->interruption().reset();
}

void RowFeed::read(const Open &open, const RowLayout &layout, bool rewind)
{
    std::optional<Error> failure;
    std::shared_ptr<Recordset> cursor;
    try {
        cursor = open();
    } catch (const Error &error) {
        failure = error;
    } catch (const std::exception &error) {
        failure = asError(error);
    }
    {
        const std::lock_guard lock(mutex_);
        opened_ = true;
        cursor_ = cursor;
        openFailure_ = failure;
        finished_ = !cursor;
    }
    changed_.notify_all();
    if (!cursor)
        return;

    Block block(blockRows, firstBlockBytes);
    try {
        CursorRowSource source(*cursor, layout, rewind);
        while (source.next(block)) {
            progress_.countRow();
            if (block.rowCount() == blockRows && !pushBlock(block))
                return;
        }
    } catch (const Error &error) {
        failure = error;
    } catch (const std::exception &error) {
        failure = asError(error);
    }
    {
        const std::lock_guard lock(mutex_);
        if (block.rowCount() > 0)
            blocks_.push_back(std::move(block));
        failure_ = failure;
        finished_ = true;
    }
    changed_.notify_all();
}

// Waits while the queue is full; false when the feed is stopping.
bool RowFeed::pushBlock(Block &block)
{
    // The next rows are most likely much like these.
    const size_t bytes = block.byteCount();
    bool spare = false;
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stopping_ || blocks_.size() < queuedBlocks; });
        if (stopping_)
            return false;
        blocks_.push_back(std::move(block));
        spare = !spares_.empty();
        if (spare) {
            block = std::move(spares_.back());
            spares_.pop_back();
        }
    }
    changed_.notify_all();
    if (!spare)
        block = Block(blockRows, bytes + bytes / 8);
    return true;
}

template<typename Ready> void RowFeed::waitFor(std::unique_lock<std::mutex> &lock, Ready ready)
{
    while (!changed_.wait_for(lock, answerEvery, ready)) {
        lock.unlock();
        progress_.answer();
        lock.lock();
    }
}

void RowFeed::waitUntilOpen()
{
    std::unique_lock lock(mutex_);
    waitFor(lock, [this] { return opened_; });
    if (openFailure_)
        throw *openFailure_;
}

bool RowFeed::next(HierarchyRow &row)
{
    if (taken_ == current_.rowCount()) {
        std::unique_lock lock(mutex_);
        waitFor(lock, [this] { return !blocks_.empty() || finished_; });
        if (blocks_.empty()) {
            if (!failure_)
                return false;
            const Error failure = *failure_;
            failure_.reset();
            throw failure;
        }
        current_.clear();
        spares_.push_back(std::move(current_));
        current_ = std::move(blocks_.front());
        blocks_.pop_front();
        taken_ = 0;
        lock.unlock();
        changed_.notify_all();
        progress_.answer();
    }
    current_.takeNext(row);
    ++taken_;
    return true;
}

} // namespace kestrelon
