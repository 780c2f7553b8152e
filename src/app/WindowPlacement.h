#pragma once

#include <QObject>

class QWidget;

namespace kestrelon {

// Puts a top-level window, frame included, in the middle of its screen.
void centreOnScreen(QWidget &window);

// Shows a top-level window centred on its screen, frame included. A window
// manager frames a window only after it is mapped, so the window is centred
// by its client area when it is shown and again once it is first on screen
// with its frame known.
class FramedCentring : public QObject
{
    Q_OBJECT

public:
    explicit FramedCentring(QWidget &window);

signals:
    // The window is on screen with its frame: its outer size is now known.
    void framed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onFirstShow();
    void onFirstExpose();

    QWidget &window_;
    bool shown_ = false;
};

} // namespace kestrelon
