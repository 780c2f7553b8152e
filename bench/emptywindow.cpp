// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for Kestrelon's start-up: an empty Qt window, from process
// start to its first paint.
//
//   KESTRELON_BENCH_START_NS=$(date +%s%N) kestrelon-bench-empty
//
// Prints first_paint_ms=N main_ms=M (M: when main() began).

#include "StartClock.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <cstdio>

namespace {

// Reports the first paint, then ends the program.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(double atMain) : atMain_(atMain) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QMetaObject::invokeMethod(
                qApp,
                [atMain = atMain_] {
                    std::printf("first_paint_ms=%.2f main_ms=%.2f\n", millisecondsSinceLaunch(),
                                atMain);
                    QCoreApplication::quit();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    double atMain_;
    bool seen_ = false;
};

} // namespace

int main(int argc, char *argv[])
{
    const double atMain = millisecondsSinceLaunch();
    QApplication application(argc, argv);
    QWidget window;
    window.resize(640, 480);
    FirstPaint watch(atMain);
    window.installEventFilter(&watch);
    window.show();
    return QApplication::exec();
}
