// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextRoom.h"

#include "Twips.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace kestrelon {

namespace {

// A push button draws its caption inside its frame and half its margin.
QSize buttonRoom(const QPushButton &button)
{
    const QStyle *style = button.style();
    const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button);
    const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button);
    const int padding = 2 * (frame + margin / 2);
    const QFontMetrics metrics = button.fontMetrics();
    const QRect ink = metrics.boundingRect(button.text());
    return QSize(std::max(metrics.horizontalAdvance(button.text()), ink.width()) + padding,
                 metrics.height() + padding);
}

} // namespace

TextRoom textRoomOf(const QPushButton &button, const QLabel &label, const Twips &twips)
{
    const QSize forButton = buttonRoom(button);
    const QSize forLabel = label.sizeHint();
    return {twips.fromPixels(forButton.width()), twips.fromPixels(forButton.height()),
            twips.fromPixels(forLabel.width()), twips.fromPixels(forLabel.height())};
}

TextRoomWatcher::TextRoomWatcher(QWidget &window) : QObject(&window)
{
    window.installEventFilter(this);
}

bool TextRoomWatcher::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::LayoutRequest:
        emit changed();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kestrelon
