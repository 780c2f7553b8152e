// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NodeDetails.h"

#include "data/SourceState.h"

#include <QEvent>
#include <QObject>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace kestrelon {

// "Define" as a request that the window starts and then watches. It holds
// what Define reads of the data source (the database and the row cursors
// the start-up opened) and a thread of its own that reads them, so that the
// window answers while the data source works. Whatever it is asked, it
// answers at once; the result comes back later, on the window's thread:
// finished() with the details, or cancelled().
//
// One request runs at a time. Starting another while one runs supersedes
// it: the earlier one is cancelled and only the later one is answered.
class DetailsRequest : public QObject
{
    Q_OBJECT

public:
    explicit DetailsRequest(QObject *parent = nullptr);
    // Cancels a running request and gives the driver letGoWithin to let go
    // of the connection, short enough that the window closes at once. A thread still inside the
    // driver then is left to end by itself; it holds what it reads, and reports to no one.
    ~DetailsRequest() override;

    // The data source the start-up opened. A request running on an earlier
    // one is cancelled.
    void setSource(SourceState source);
    // The data source, for reading on the window's thread while no request
    // runs; raises SourceBusy while one does, cancelled or not.
    const SourceState &idleSource() const;

    // The details of a lithology term: "QryLithParent" is read anew, and
    // the new cursor becomes LithRows.
    void startLithology(const SelectedNode &term);
    // The details of a stratigraphic unit, from StratRows rewound.
    void startStratigraphy(const SelectedNode &unit);
    // Stops the running request, which ends with cancelled() at once. The
    // statement is cancelled from a thread of its own: a driver may take its
    // time over that, above all on a connection that stopped answering, and
    // the window does not wait for it. The connection stays busy until the
    // driver lets go; a request started meanwhile waits for that.
    void cancel();
    bool isRunning() const { return running_; }

    static constexpr std::chrono::milliseconds letGoWithin{500};

signals:
    void finished(const kestrelon::NodeDetails &details);
    void cancelled();

protected:
    bool event(QEvent *event) override;

private:
    using Id = quint64;
    struct Outcome
    {
        NodeDetails details;
        std::shared_ptr<Recordset> lithRows; // the cursor a lithology request opened
    };
    using Job = std::function<Outcome()>;
    struct Queue;

    void start(Job job);
    void interrupt(Id id) const;
    void deliver(Id id, Outcome outcome);
    static void serve(const std::shared_ptr<Queue> &queue);
    static Outcome perform(const Job &job);

    SourceState source_;
    Id latest_ = 0;
    Id cancelledUpTo_ = 0;
    Id endedUpTo_ = 0; // the latest request whose thread has returned
    bool running_ = false;
    // The connection the latest request runs on, and the source it read.
    std::shared_ptr<Database> startedOn_;
    quint64 sourceGeneration_ = 0;
    quint64 startedGeneration_ = 0;
    std::shared_ptr<Queue> queue_;
    std::thread thread_; // last: started once everything above exists
};

} // namespace kestrelon
