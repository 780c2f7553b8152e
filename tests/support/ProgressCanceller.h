// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class QProgressDialog;

namespace testsupport {

// Presses Cancel on the start-up's progress window once it is shown and its
// text satisfies `ready`, as a user who tires of waiting would, and keeps
// the last text it saw.
class ProgressCanceller : public QObject
{
public:
    explicit ProgressCanceller(std::function<bool(const QString &)> ready = {});
    const QString &shownText() const { return shownText_; }

    // The progress window, if one exists.
    static QProgressDialog *find();

private:
    void poll();

    QTimer timer_;
    std::function<bool(const QString &)> ready_;
    QString shownText_;
};

} // namespace testsupport
