// SPDX-License-Identifier: GPL-3.0-or-later
#include "DetailsRequest.h"

#include "LithologyDetails.h"
#include "StratigraphyDetails.h"

#include "data/Database.h"
#include "data/Error.h"

#include <QCoreApplication>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

namespace kestrelon {

namespace {

// Tells the request, on its own thread, that results wait in its queue.
const QEvent::Type resultsWaiting = QEvent::Type(QEvent::registerEventType());

} // namespace

// What the window's thread and the request's thread share. The thread holds
// it too, so that it outlives a request that did not wait for the thread.
// Results travel through it under its lock, not inside the event that
// announces them.
struct DetailsRequest::Queue
{
    struct Pending
    {
        Id id;
        std::shared_ptr<Database> database;
        Job job;
    };

    std::mutex mutex;
    std::condition_variable changed;
    std::optional<Pending> pending;
    std::vector<std::pair<Id, Outcome>> results;
    // The data source of a request that did not wait for the thread.
    SourceState leftOver;
    Id cancelledUpTo = 0;
    bool stopping = false;
    bool ended = false;
    DetailsRequest *receiver = nullptr; // none once the request is gone
};

DetailsRequest::DetailsRequest(QObject *parent) : QObject(parent), queue_(std::make_shared<Queue>())
{
    queue_->receiver = this;
    thread_ = std::thread([queue = queue_] { serve(queue); });
}

DetailsRequest::~DetailsRequest()
{
    cancel();
    std::unique_lock lock(queue_->mutex);
    queue_->receiver = nullptr;
    queue_->stopping = true;
    queue_->changed.notify_all();
    const bool ended =
        queue_->changed.wait_for(lock, letGoWithin, [this] { return queue_->ended; });
    if (ended) {
        lock.unlock();
        thread_.join();
        return;
    }
    // Releasing a cursor waits for the connection, which the thread may
    // hold for a long time yet: the thread releases what it reads.
    queue_->leftOver = std::move(source_);
    lock.unlock();
    thread_.detach();
}

void DetailsRequest::setSource(SourceState source)
{
    cancel();
    source_ = std::move(source);
    ++sourceGeneration_;
}

const SourceState &DetailsRequest::idleSource() const
{
    if (endedUpTo_ != latest_)
        throw Error(SourceBusy, QStringLiteral("The data source is busy with \"Define\""));
    return source_;
}

void DetailsRequest::startLithology(const SelectedNode &term)
{
    start([database = source_.SourceDatabase, rows = source_.LithRows, term] {
        if (!database)
            throw Error(OdbcCallFailed, QStringLiteral("The data source is not open"));
        Outcome outcome{{}, rows};
        outcome.details = lithologyDetails(*database, outcome.lithRows, term);
        return outcome;
    });
}

void DetailsRequest::startStratigraphy(const SelectedNode &unit)
{
    start([rows = source_.StratRows, unit] {
        return Outcome{stratigraphyDetails(rows.get(), unit), nullptr};
    });
}

void DetailsRequest::start(Job job)
{
    if (running_)
        interrupt(latest_);
    const Id id = ++latest_;
    running_ = true;
    startedOn_ = source_.SourceDatabase;
    startedGeneration_ = sourceGeneration_;
    {
        const std::lock_guard lock(queue_->mutex);
        // A superseded request that has not begun never will.
        queue_->pending = Queue::Pending{id, startedOn_, std::move(job)};
    }
    queue_->changed.notify_all();
}

void DetailsRequest::cancel()
{
    if (!running_ || cancelledUpTo_ == latest_)
        return;
    cancelledUpTo_ = latest_;
    {
        const std::lock_guard lock(queue_->mutex);
        queue_->cancelledUpTo = latest_;
    }
    interrupt(latest_);
    // The window does not wait for the driver to let go: the request is
    // answered now, and its thread, once the driver returns, reports to no
    // one. Queued, so that no caller is answered from inside its own call.
    running_ = false;
    QMetaObject::invokeMethod(this, &DetailsRequest::cancelled, Qt::QueuedConnection);
}

void DetailsRequest::interrupt(Id id) const
{
    if (!startedOn_)
        return;
    const auto stop = [database = startedOn_, id] { database->interruption().interrupt(id); };
    try {
        std::thread(stop).detach();
    } catch (const std::system_error &) {
        stop(); // no thread to spare: the window waits for the driver
    }
}

bool DetailsRequest::event(QEvent *event)
{
    std::vector<std::pair<Id, Outcome>> results;
    {
        // Under the lock even the event's type: the request's thread made
        // the event under it, and Qt's queue hands it over through a lock
        // that ThreadSanitizer cannot see.
        const std::lock_guard lock(queue_->mutex);
        if (event->type() == resultsWaiting)
            results.swap(queue_->results);
    }
    if (event->type() != resultsWaiting)
        return QObject::event(event);
    for (auto &[id, outcome] : results)
        deliver(id, std::move(outcome));
    return true;
}

// Only the latest request is answered; one it superseded, or one that was
// cancelled, ends unheard.
void DetailsRequest::deliver(Id id, Outcome outcome)
{
    endedUpTo_ = id;
    if (id != latest_)
        return;
    startedOn_.reset();
    if (!running_)
        return;
    running_ = false;
    if (outcome.lithRows && startedGeneration_ == sourceGeneration_)
        source_.LithRows = std::move(outcome.lithRows);
    emit finished(outcome.details);
}

void DetailsRequest::serve(const std::shared_ptr<Queue> &queue)
{
    std::unique_lock lock(queue->mutex);
    for (;;) {
        queue->changed.wait(lock, [&] { return queue->stopping || queue->pending; });
        if (queue->stopping)
            break;
        Queue::Pending request = std::move(*queue->pending);
        queue->pending.reset();
        const Id id = request.id;
        // Under the lock: a cancel finds the request either not begun, or
        // begun and ready to be interrupted.
        const bool begins = id > queue->cancelledUpTo;
        if (begins && request.database)
            request.database->interruption().begin(id);
        lock.unlock();
        Outcome outcome;
        if (begins)
            outcome = perform(request.job);
        request = {}; // what the job held goes here, not under the lock
        lock.lock();
        queue->results.emplace_back(id, std::move(outcome));
        if (queue->receiver)
            QCoreApplication::postEvent(queue->receiver, new QEvent(resultsWaiting));
    }
    queue->ended = true;
    const SourceState leftOver = std::move(queue->leftOver);
    queue->changed.notify_all();
    lock.unlock();
}

// No exception may leave the thread: anything the job raises becomes the
// request's error.
DetailsRequest::Outcome DetailsRequest::perform(const Job &job)
{
    try {
        return job();
    } catch (const Error &error) {
        return {{std::nullopt, std::nullopt, error}, nullptr};
    } catch (const std::exception &error) {
        return {{std::nullopt, std::nullopt,
                 Error(UnexpectedFailure, QString::fromLocal8Bit(error.what()))},
                nullptr};
    }
}

} // namespace kestrelon
