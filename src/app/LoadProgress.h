// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QtGlobal>
#include <atomic>
#include <memory>

class QProgressDialog;

namespace kestrelon {

// Follows a start-up that reads the data source. Once the reading has taken
// about a second, a small window shows the number of rows read so far, with
// a Cancel button. The window is centred on the screen and keeps one size,
// made for the largest count it may show.
class LoadProgress
{
public:
    LoadProgress();
    ~LoadProgress();
    LoadProgress(const LoadProgress &) = delete;
    LoadProgress &operator=(const LoadProgress &) = delete;

    // Counts more rows read; any thread may call it.
    void countRows(qint64 rows) { rows_.fetch_add(rows, std::memory_order_relaxed); }
    // The bytes received so far, shown while no row has been counted: a
    // driver may take in a whole result before it hands over the first row.
    void setBytesReceived(quint64 bytes) { bytes_ = bytes; }
    // Brings the window up to date and handles its events, now and then;
    // raises OperationCancelled once Cancel was pressed. The window's thread
    // calls it while it waits for rows and as it takes them. This is where
    // the start-up answers events, and the only place.
    void answer();
    // Stops the start-up as Cancel does, from an event that answer() handled.
    void cancel() { cancelled_ = true; }
    bool wasCancelled() const { return cancelled_; }

    static constexpr qint64 showAfterMilliseconds = 1000;

private:
    void bringUpToDate();
    void update();

    QElapsedTimer started_;
    QElapsedTimer updated_;
    std::atomic<qint64> rows_{0};
    quint64 bytes_ = 0;
    bool cancelled_ = false;
    std::unique_ptr<QProgressDialog> window_;
};

} // namespace kestrelon
