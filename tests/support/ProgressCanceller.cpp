// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressCanceller.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

namespace testsupport {

ProgressCanceller::ProgressCanceller(std::function<bool(const QString &)> ready)
    : ready_(std::move(ready))
{
    connect(&timer_, &QTimer::timeout, this, &ProgressCanceller::poll);
    timer_.start(20);
}

QProgressDialog *ProgressCanceller::find()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *progress = qobject_cast<QProgressDialog *>(widget))
            return progress;
    }
    return nullptr;
}

void ProgressCanceller::poll()
{
    QProgressDialog *progress = find();
    if (!progress || !progress->isVisible())
        return;
    shownText_ = progress->labelText();
    if (!ready_ || ready_(shownText_))
        QTest::mouseClick(progress->findChild<QPushButton *>(), Qt::LeftButton);
}

} // namespace testsupport
