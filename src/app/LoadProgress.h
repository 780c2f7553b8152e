#pragma once

#include <QElapsedTimer>
#include <QtGlobal>
#include <memory>

class QProgressDialog;

namespace kestrelon {

// Follows a start-up that reads the data source. Once the reading has taken
// about a second, a small window shows the number of rows read so far, with
// a Cancel button; its events are handled whenever the count is given.
class LoadProgress
{
public:
    LoadProgress();
    ~LoadProgress();
    LoadProgress(const LoadProgress &) = delete;
    LoadProgress &operator=(const LoadProgress &) = delete;

    // Notes how many rows have been read so far, and handles the window's
    // events now and then; raises OperationCancelled once Cancel was pressed.
    void rowsRead(qint64 total);
    bool wasCancelled() const { return cancelled_; }

    static constexpr qint64 showAfterMilliseconds = 1000;

private:
    void update();

    QElapsedTimer started_;
    QElapsedTimer updated_;
    qint64 rows_ = 0;
    bool cancelled_ = false;
    std::unique_ptr<QProgressDialog> window_;
};

} // namespace kestrelon
