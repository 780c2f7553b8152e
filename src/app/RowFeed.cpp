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
    : database_(std::move(database)), progress_(progress), shared_(std::make_shared<Shared>())
{
    shared_->progress = &progress_;
    thread_ = std::thread([shared = shared_, open = std::move(open), layout, rewind] {
        read(shared, open, layout, rewind);
    });
}

RowFeed::~RowFeed()
{
    std::unique_lock lock(shared_->mutex);
    shared_->stopping = true;
    shared_->progress = nullptr;
    const bool interrupted = !shared_->finished;
    lock.unlock();
    shared_->changed.notify_all();
    if (interrupted) {
        // A driver may take long over the cancel, and the call longer still
        // to end: the window waits for neither.
        database_->interruption().interruptWithoutWaiting();
        lock.lock();
        const bool ended =
            shared_->changed.wait_for(lock, letGoWithin, [this] { return shared_->finished; });
        lock.unlock();
        if (!ended) {
            thread_.detach();
            return;
        }
    }
    thread_.join();
    // The connection serves the window again.
    if (interrupted)
        database_->interruption().reset();
}

void RowFeed::read(const std::shared_ptr<Shared> &shared, const Open &open, const RowLayout &layout,
                   bool rewind)
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
        const std::lock_guard lock(shared->mutex);
        shared->opened = true;
        shared->cursor = cursor;
        shared->openFailure = failure;
        shared->finished = !cursor;
    }
    shared->changed.notify_all();
    if (!cursor)
        return;

    Block block(blockRows, firstBlockBytes);
    size_t uncounted = 0;
    try {
        CursorRowSource source(*cursor, layout, rewind);
        while (source.next(block)) {
            ++uncounted;
            if (block.rowCount() == blockRows && !pushBlock(*shared, block, uncounted)) {
                // The server's cursor, and its transaction, end here.
                cursor->close();
                return;
            }
        }
    } catch (const Error &error) {
        failure = error;
    } catch (const std::exception &error) {
        failure = asError(error);
    }
    if (failure)
        cursor->close();
    {
        const std::lock_guard lock(shared->mutex);
        if (shared->progress)
            shared->progress->countRows(qint64(uncounted));
        if (block.rowCount() > 0)
            shared->blocks.push_back(std::move(block));
        shared->failure = failure;
        shared->finished = true;
    }
    shared->changed.notify_all();
}

// Waits while the queue is full; false when the feed is stopping. The rows
// read so far are counted as the block goes.
bool RowFeed::pushBlock(Shared &shared, Block &block, size_t &uncounted)
{
    // The next rows are most likely much like these.
    const size_t bytes = block.byteCount();
    bool spare = false;
    {
        std::unique_lock lock(shared.mutex);
        shared.changed.wait(lock,
                            [&] { return shared.stopping || shared.blocks.size() < queuedBlocks; });
        if (shared.stopping)
            return false;
        shared.progress->countRows(qint64(uncounted));
        uncounted = 0;
        shared.blocks.push_back(std::move(block));
        spare = !shared.spares.empty();
        if (spare) {
            block = std::move(shared.spares.back());
            shared.spares.pop_back();
        }
    }
    shared.changed.notify_all();
    if (!spare)
        block = Block(blockRows, bytes + bytes / 8);
    return true;
}

template<typename Ready> void RowFeed::waitFor(std::unique_lock<std::mutex> &lock, Ready ready)
{
    while (!shared_->changed.wait_for(lock, answerEvery, ready)) {
        lock.unlock();
        progress_.setBytesReceived(database_->bytesReceived());
        progress_.answer();
        lock.lock();
    }
}

void RowFeed::waitUntilOpen()
{
    std::unique_lock lock(shared_->mutex);
    waitFor(lock, [this] { return shared_->opened; });
    if (shared_->openFailure)
        throw *shared_->openFailure;
}

bool RowFeed::next(HierarchyRow &row)
{
    if (taken_ == current_.rowCount()) {
        std::unique_lock lock(shared_->mutex);
        waitFor(lock, [this] { return !shared_->blocks.empty() || shared_->finished; });
        if (shared_->blocks.empty()) {
            if (!shared_->failure)
                return false;
            const Error failure = *shared_->failure;
            shared_->failure.reset();
            throw failure;
        }
        current_.clear();
        shared_->spares.push_back(std::move(current_));
        current_ = std::move(shared_->blocks.front());
        shared_->blocks.pop_front();
        taken_ = 0;
        lock.unlock();
        shared_->changed.notify_all();
        progress_.answer();
    }
    current_.takeNext(row);
    ++taken_;
    return true;
}

} // namespace kestrelon
