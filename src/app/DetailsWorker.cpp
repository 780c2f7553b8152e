// SPDX-License-Identifier: GPL-3.0-or-later
#include "DetailsWorker.h"

#include "data/Database.h"

#include <QEventLoop>

namespace kestrelon {

DetailsWorker::DetailsWorker(QObject *parent) : QObject(parent), thread_([this] { run(); }) {}

DetailsWorker::~DetailsWorker()
{
    cancel();
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
    // A result posted meanwhile goes with this object, undelivered.
}

void DetailsWorker::start(std::shared_ptr<Database> database, Job job)
{
    Q_ASSERT(!busy_);
    busy_ = true;
    cancelled_ = false;
    database_ = std::move(database);
    if (database_)
        database_->interruption().reset();
    {
        const std::lock_guard lock(mutex_);
        pending_ = std::move(job);
    }
    wake_.notify_one();
}

void DetailsWorker::cancel()
{
    if (!busy_)
        return;
    cancelled_ = true;
    if (database_)
        database_->interruption().interrupt();
}

void DetailsWorker::waitUntilIdle()
{
    if (!busy_)
        return;
    QEventLoop loop;
    connect(this, &DetailsWorker::finished, &loop, &QEventLoop::quit);
    loop.exec();
}

void DetailsWorker::run()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || pending_; });
            if (stopping_)
                return;
            job = std::exchange(pending_, nullptr);
        }
        const NodeDetails details = perform(job);
        QMetaObject::invokeMethod(
            this, [this, details] { finish(details); }, Qt::QueuedConnection);
    }
}

// No exception may leave the thread: anything the job raises becomes its
// error.
NodeDetails DetailsWorker::perform(const Job &job) const
{
    try {
        return job();
    } catch (const Error &error) {
        return {std::nullopt, std::nullopt, error};
    } catch (const std::exception &error) {
        return {std::nullopt, std::nullopt,
                Error(UnexpectedFailure, QString::fromLocal8Bit(error.what()))};
    }
}

void DetailsWorker::finish(const NodeDetails &details)
{
    busy_ = false;
    // The connection is free again for the window's own reads.
    if (database_)
        database_->interruption().reset();
    database_.reset();
    emit finished(details, cancelled_);
}

} // namespace kestrelon
