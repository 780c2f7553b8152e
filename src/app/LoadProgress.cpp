// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoadProgress.h"

#include "WindowPlacement.h"

#include "data/Error.h"

#include <QApplication>
#include <QLocale>
#include <QProgressDialog>

namespace kestrelon {

namespace {

// How often the window is brought up to date and its events handled.
constexpr qint64 updateMilliseconds = 100;

// The largest count the window is sized for, so that it neither grows nor
// moves while the count does.
constexpr qint64 largestCount = 999'999'999'999;

QString progressText(qint64 rows)
{
    return QStringLiteral("Reading the vocabulary: %1 rows").arg(QLocale().toString(rows));
}

QString bytesText(quint64 bytes)
{
    return QStringLiteral("Reading the vocabulary: %1 MB received")
        .arg(QLocale().toString(double(bytes) / 1e6, 'f', 1));
}

// The largest amount the window is sized for, in bytes.
constexpr quint64 largestBytes = 999'999'900'000;

} // namespace

LoadProgress::LoadProgress()
{
    started_.start();
}

LoadProgress::~LoadProgress() = default;

void LoadProgress::answer()
{
    bringUpToDate();
    if (cancelled_)
        throw Error(OperationCancelled, QStringLiteral("The start-up was cancelled"));
}

void LoadProgress::bringUpToDate()
{
    if (started_.elapsed() < showAfterMilliseconds)
        return;
    if (!window_) {
        window_ = std::make_unique<QProgressDialog>();
        window_->setWindowTitle(QApplication::applicationDisplayName());
        window_->setObjectName(QStringLiteral("loadProgress"));
        window_->setCancelButtonText(QStringLiteral("Cancel"));
        window_->setRange(0, 0); // the number of rows to come is not known
        window_->setMinimumDuration(0);
        window_->setAutoReset(false);
        window_->setAutoClose(false);
        window_->setLabelText(progressText(largestCount));
        QSize largest = window_->sizeHint();
        window_->setLabelText(bytesText(largestBytes));
        largest = largest.expandedTo(window_->sizeHint());
        window_->setFixedSize(largest);
        // Centred on the screen, frame included, like the main window.
        new FramedCentring(*window_, window_->size());
        window_->show();
        update();
        return;
    }
    if (updated_.elapsed() >= updateMilliseconds)
        update();
}

void LoadProgress::update()
{
    const qint64 rows = rows_.load(std::memory_order_relaxed);
    window_->setLabelText(rows == 0 && bytes_ > 0 ? bytesText(bytes_) : progressText(rows));
    QApplication::processEvents();
    updated_.start();
    if (window_->wasCanceled())
        cancelled_ = true;
}

} // namespace kestrelon
