#include "WindowPlacement.h"

#include <QScreen>
#include <QWidget>

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

} // namespace kestrelon
