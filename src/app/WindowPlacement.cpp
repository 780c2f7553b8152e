// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace kestrelon {

namespace {

// How often the frame is read while it settles, how many unchanged readings
// make it settled, and how long to wait for a window manager that never
// frames the window (or is not there).
constexpr int pollMilliseconds = 50;
constexpr int settledPolls = 10;
constexpr qint64 settlingLimitMilliseconds = 5000;
// A window manager that is itself starting may drop the request to show the
// window: after this long without being on screen it is shown again, a few
// times at most.
constexpr qint64 unshownMilliseconds = 1000;
constexpr int reshowLimit = 2;
// Room for panels, where the platform does not tell their size: a little
// more than a panel usually takes along one edge of the screen.
constexpr int panelRoom = 48;

bool isFramePlausible(const QMargins &frame)
{
    return frame.left() >= 0 && frame.top() >= 0 && frame.right() >= 0 && frame.bottom() >= 0;
}

} // namespace

QMargins settledFrameMargins(const QWidget &window)
{
    const QWindow *handle = window.windowHandle();
    if (!handle)
        return {};
    const QMargins frame = handle->frameMargins();
    return isFramePlausible(frame) ? frame : QMargins();
}

QSize outerSize(const QWidget &window)
{
    return window.size().grownBy(settledFrameMargins(window));
}

QSize fittedClientSize(QSize designed, const QMargins &frame, QSize available)
{
    const QSize room = available.shrunkBy(frame);
    return QSize(std::max(1, std::min(designed.width(), room.width())),
                 std::max(1, std::min(designed.height(), room.height())));
}

QPoint centredFramePosition(QSize frame, const QRect &available)
{
    return QPoint(available.x() + std::max(0, (available.width() - frame.width()) / 2),
                  available.y() + std::max(0, (available.height() - frame.height()) / 2));
}

bool fitsBesidePanels(QSize frame, QSize available)
{
    return frame.width() <= available.width() - panelRoom &&
           frame.height() <= available.height() - panelRoom;
}

namespace {

// Whether Qt knows the area the desktop leaves to windows (X11 does, from
// the window manager; Wayland does not).
bool knowsAvailableArea()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

FramedCentring::FramedCentring(QWidget &window, QSize designedClientSize)
    : QObject(&window), window_(window), designed_(designedClientSize)
{
    poll_.setInterval(pollMilliseconds);
    connect(&poll_, &QTimer::timeout, this, [this] { follow(true); });
    window_.installEventFilter(this);
}

bool FramedCentring::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &window_) {
        if (event->type() == QEvent::Show && !shown_)
            onFirstShow();
        else if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            follow(false);
    } else if (event->type() == QEvent::Expose) {
        follow(false);
    }
    return QObject::eventFilter(watched, event);
}

void FramedCentring::onFirstShow()
{
    shown_ = true;
    settling_ = true;
    sinceShown_.start();
    placedWith_ = settledFrameMargins(window_);
    lastOuter_ = outerSize(window_);
    place();
    if (QWindow *handle = window_.windowHandle())
        handle->installEventFilter(this);
    // A panel that starts with the desktop takes its room from the screen
    // after the window may have been placed.
    if (const QScreen *screen = window_.screen())
        connect(screen, &QScreen::availableGeometryChanged, this, [this] {
            if (isStarting())
                place();
        });
    poll_.start();
}

void FramedCentring::follow(bool polled)
{
    if (!shown_)
        return;
    if (settling_) {
        followPlacement(polled);
        if (polled)
            showAgainIfLost();
    }
    const QSize outer = outerSize(window_);
    if (outer != lastOuter_) {
        lastOuter_ = outer;
        emit outerSizeChanged();
    }
}

// A new frame needs a new place, and maybe a smaller window; a frame that
// has stood still for enough readings has settled.
void FramedCentring::followPlacement(bool polled)
{
    if (!isStarting()) {
        stopSettling();
        return;
    }
    const QMargins frame = settledFrameMargins(window_);
    if (frame != placedWith_) {
        placedWith_ = frame;
        stillPolls_ = 0;
        place();
    } else if (polled && !frame.isNull() && ++stillPolls_ >= settledPolls) {
        stopSettling();
    }
}

// The client area goes where its frame ends up centred.
void FramedCentring::place()
{
    const QScreen *screen = window_.screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    if (!knowsAvailableArea()) {
        if (fitsBesidePanels(designed_.grownBy(placedWith_), available.size()))
            window_.resize(designed_);
        else
            window_.setWindowState(Qt::WindowMaximized);
        return;
    }
    const QSize client = fittedClientSize(designed_, placedWith_, available.size());
    const QPoint frameAt = centredFramePosition(client.grownBy(placedWith_), available);
    window_.setGeometry(QRect(frameAt + QPoint(placedWith_.left(), placedWith_.top()), client));
}

void FramedCentring::showAgainIfLost()
{
    const QWindow *handle = window_.windowHandle();
    if (!handle || !window_.isVisible() || handle->isExposed() || reshown_ >= reshowLimit ||
        sinceShown_.elapsed() < (reshown_ + 1) * unshownMilliseconds)
        return;
    ++reshown_;
    window_.hide();
    window_.show();
}

// Still in the first moments of a window in its normal state, which a
// desktop that is itself starting may change under it.
bool FramedCentring::isStarting() const
{
    return window_.windowState() == Qt::WindowNoState &&
           sinceShown_.elapsed() <= settlingLimitMilliseconds;
}

void FramedCentring::stopSettling()
{
    settling_ = false;
    poll_.stop();
}

} // namespace kestrelon
