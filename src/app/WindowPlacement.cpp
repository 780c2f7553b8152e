#include "WindowPlacement.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace kestrelon {

void centreOnScreen(QWidget &window)
{
    const QScreen *screen = window.screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QRect frame = window.frameGeometry();
    // move() places the frame's top-left corner.
    window.move(available.x() + (available.width() - frame.width()) / 2,
                available.y() + (available.height() - frame.height()) / 2);
}

FramedCentring::FramedCentring(QWidget &window) : QObject(&window), window_(window)
{
    window_.installEventFilter(this);
}

bool FramedCentring::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &window_ && event->type() == QEvent::Show && !shown_)
        onFirstShow();
    else if (watched == window_.windowHandle() && event->type() == QEvent::Expose)
        onFirstExpose();
    return QObject::eventFilter(watched, event);
}

void FramedCentring::onFirstShow()
{
    shown_ = true;
    centreOnScreen(window_);
    if (QWindow *handle = window_.windowHandle())
        handle->installEventFilter(this);
}

// By the first exposure the window manager has framed the window, if it
// frames windows at all.
void FramedCentring::onFirstExpose()
{
    window_.windowHandle()->removeEventFilter(this);
    if (window_.frameGeometry() == window_.geometry() || window_.windowState() != Qt::WindowNoState)
        return;
    centreOnScreen(window_);
    emit framed();
}

} // namespace kestrelon
