// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "details/NodeDetails.h"

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace kestrelon {

class Database;

// Runs the data-source work of "Define" on a thread of its own, one request
// at a time, so that the window keeps answering while the server works. The
// result comes back on the window's thread through finished().
class DetailsWorker : public QObject
{
    Q_OBJECT

public:
    using Job = std::function<NodeDetails()>;

    explicit DetailsWorker(QObject *parent = nullptr);
    // Cancels the running request and waits for the thread to end.
    ~DetailsWorker() override;

    // Hands a request to the thread; the worker must be idle. `database` is
    // the connection the job uses, the one cancel() interrupts.
    void start(std::shared_ptr<Database> database, Job job);
    bool isBusy() const { return busy_; }
    // Stops the running request: the statement it runs is cancelled, and its
    // result, whatever it is, comes back marked as cancelled.
    void cancel();
    // Returns once no request runs, answering the window's events meanwhile.
    void waitUntilIdle();

signals:
    void finished(const kestrelon::NodeDetails &details, bool cancelled);

private:
    void run();
    NodeDetails perform(const Job &job) const;
    void finish(const NodeDetails &details);

    std::mutex mutex_;
    std::condition_variable wake_;
    Job pending_;
    bool stopping_ = false;
    std::atomic<bool> cancelled_{false};
    // Owned by the window's thread.
    std::shared_ptr<Database> database_;
    bool busy_ = false;
    std::thread thread_; // last: started once everything above exists
};

} // namespace kestrelon
