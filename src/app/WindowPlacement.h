// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QTimer>

class QWidget;

namespace kestrelon {

// The frame a window manager has put around a top-level window, or no
// margins while it has none yet. A frame it reports while it is still being
// built, smaller than the window itself, counts as none.
QMargins settledFrameMargins(const QWidget &window);

// The window's outer size, frame included, by its settled frame.
QSize outerSize(const QWidget &window);

// The client size that, framed by `frame`, fits in `available`: the designed
// size, or smaller in each direction that does not fit.
QSize fittedClientSize(QSize designed, const QMargins &frame, QSize available);

// Where a frame of this size goes to stand in the middle of `available`.
// When it is larger, its top-left corner stays inside, so the title bar can
// still be reached.
QPoint centredFramePosition(QSize frame, const QRect &available);

// Whether a frame of this size fits in `available` with room to spare for a
// desktop's panels, for platforms that do not say where those are.
bool fitsBesidePanels(QSize frame, QSize available);

// Shows a top-level window centred on its screen, frame included, at its
// designed client size or smaller where the screen's available area is too
// small. A window manager frames a window only after it is mapped, and one
// that has just started may report passing frames first, so the placement
// follows the frame until it has stood still for a while; the layout
// follows every later change of the outer size as well.
//
// On Wayland the compositor places windows, and Qt does not learn the area
// its panels leave: there the window opens at its designed size where that
// fits beside any panel, and maximised, at the size the compositor leaves
// it, where it does not.
class FramedCentring : public QObject
{
    Q_OBJECT

public:
    FramedCentring(QWidget &window, QSize designedClientSize);

signals:
    // The window's outer size, frame included, is not what it was.
    void outerSizeChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onFirstShow();
    void follow(bool polled);
    void followPlacement(bool polled);
    void place();
    void showAgainIfLost();
    bool isStarting() const;
    void stopSettling();

    QWidget &window_;
    QSize designed_;
    QMargins placedWith_;
    QSize lastOuter_;
    QTimer poll_;
    QElapsedTimer sinceShown_;
    int stillPolls_ = 0;
    int reshown_ = 0;
    bool shown_ = false;
    bool settling_ = false;
};

} // namespace kestrelon
