// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/Error.h"
#include "data/HierarchyRowSource.h"
#include "data/RowParcel.h"

#include <chrono>
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
    // Stops the reading, if it still runs: its statement is cancelled, from
    // a thread of its own, and the thread is given letGoWithin to end. A
    // thread still inside the driver then (on a network that lost the
    // server, until the connection is cut off) ends by itself, unheard.
    ~RowFeed() override;

    // Returns once the cursor is open; raises the Error that opening it gave.
    void waitUntilOpen();
    bool next(HierarchyRow &row) override;
    // The cursor, once read to its end.
    std::shared_ptr<Recordset> cursor() const { return shared_->cursor; }

    static constexpr size_t blockRows = 256;
    static constexpr std::chrono::milliseconds letGoWithin{500};
    // Enough rows to carry on through the builder's longer pauses (a
    // growing index, a fresh chunk of memory) and through a server's burst
    // of rows, a few megabytes.
    static constexpr size_t queuedBlocks = 64;

private:
    using Block = RowParcel;
    static constexpr size_t firstBlockBytes = 64 * 1024;

    // What the reading thread shares with the feed; the thread holds it
    // too, so that it outlives a feed that did not wait for the thread.
    struct Shared
    {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<Block> blocks;
        // Blocks the builder is done with, for the reader to fill again:
        // their memory stays with the feed rather than going back and forth
        // between the two threads' heaps.
        std::vector<Block> spares;
        std::shared_ptr<Recordset> cursor;
        bool opened = false;
        bool finished = false;
        bool stopping = false;
        std::optional<Error> openFailure;
        std::optional<Error> failure;
        LoadProgress *progress; // none once the feed is gone
    };

    static void read(const std::shared_ptr<Shared> &shared, const Open &open,
                     const RowLayout &layout, bool rewind);
    static bool pushBlock(Shared &shared, Block &block, size_t &uncounted);
    // Waits until `ready` holds, answering the progress window meanwhile.
    template<typename Ready> void waitFor(std::unique_lock<std::mutex> &lock, Ready ready);

    std::shared_ptr<Database> database_;
    LoadProgress &progress_;
    std::shared_ptr<Shared> shared_;

    Block current_; // the block the builder takes rows from
    size_t taken_ = 0;
    std::thread thread_; // last: started once everything above exists
};

} // namespace kestrelon
