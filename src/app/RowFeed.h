// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/Error.h"
#include "data/HierarchyRowSource.h"
#include "data/RowParcel.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kestrelon {

class Database;
class LoadProgress;

// Reads a hierarchy's rows on a thread of its own while the window's thread
// builds the tree from them: the rows travel in parcels through a short
// queue, so the two overlap, and become values on the window's thread,
// which has time to spare while the driver is slower. Waiting for rows, it
// keeps the progress window answering. Errors come in the order a direct
// read gives them: opening the cursor fails in waitUntilOpen(), a failed
// read after the rows before it.
class RowFeed : public HierarchyRowSource
{
public:
    using Open = std::function<std::shared_ptr<Recordset>()>;

    // Starts the thread, which runs `open` on `database` and reads the
    // cursor it gives with `layout`, rewinding it first if asked.
    RowFeed(std::shared_ptr<Database> database, Open open, const RowLayout &layout, bool rewind,
            LoadProgress &progress);
    // Stops the reading, if it still runs (its statement cancelled), and
    // waits for the thread.
    ~RowFeed() override;

    // Returns once the cursor is open; raises the Error that opening it gave.
    void waitUntilOpen();
    bool next(HierarchyRow &row) override;
    // The cursor, once read to its end.
    std::shared_ptr<Recordset> cursor() const { return cursor_; }

    static constexpr size_t blockRows = 256;
    // Enough rows to carry on through the builder's longer pauses (a
    // growing index, a fresh chunk of memory) and through a server's burst
    // of rows, a few megabytes.
    static constexpr size_t queuedBlocks = 64;

private:
    using Block = RowParcel;
    static constexpr size_t firstBlockBytes = 64 * 1024;

    void read(const Open &open, const RowLayout &layout, bool rewind);
    bool pushBlock(Block &block);
    // Waits until `ready` holds, answering the progress window meanwhile.
    template<typename Ready> void waitFor(std::unique_lock<std::mutex> &lock, Ready ready);

    std::shared_ptr<Database> database_;
    LoadProgress &progress_;
    std::shared_ptr<Recordset> cursor_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Block> blocks_;
    // Blocks the builder is done with, for the reader to fill again: their
    // memory stays with the feed rather than going back and forth between
    // the two threads' heaps.
    std::vector<Block> spares_;
    bool opened_ = false;
    bool finished_ = false;
    bool stopping_ = false;
    std::optional<Error> openFailure_;
    std::optional<Error> failure_;

    Block current_; // the block the builder takes rows from
    size_t taken_ = 0;
    std::thread thread_; // last: started once everything above exists
};

} // namespace kestrelon
