// SPDX-License-Identifier: GPL-3.0-or-later
// The yardsticks for Kestrelon's start-up: an empty Qt window, and one with
// the main window's kinds of widgets (a tree view with one term, a text box,
// a button, a label) but no data, from process start to its first paint.
//
//   KESTRELON_BENCH_START_NS=$(date +%s%N) kestrelon-bench-empty [--widgets]
//
// Prints first_paint_ms=N main_ms=M (M: when main() began).

#include "StartClock.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>
#include <cstring>

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

// Text costs a window what an empty one never pays: the font database and
// the glyphs. The first paint that counts is the tree view's, as for
// Kestrelon.
QWidget *addWidgets(QWidget &window)
{
    auto *layout = new QVBoxLayout(&window);
    auto *tree = new QTreeWidget(&window);
    tree->setHeaderHidden(true);
    new QTreeWidgetItem(tree, QStringList{QStringLiteral("Lithology")});
    layout->addWidget(tree);
    layout->addWidget(new QPushButton(QStringLiteral("Define"), &window));
    layout->addWidget(new QPlainTextEdit(&window));
    layout->addWidget(new QLabel(QStringLiteral("Level"), &window));
    return tree->viewport();
}

} // namespace

int main(int argc, char *argv[])
{
    const double atMain = millisecondsSinceLaunch();
    const bool widgets = argc == 2 && std::strcmp(argv[1], "--widgets") == 0;
    QApplication application(argc, argv);
    QWidget window;
    window.resize(640, 480);
    QWidget *watched = widgets ? addWidgets(window) : &window;
    FirstPaint watch(atMain);
    watched->installEventFilter(&watch);
    window.show();
    return QApplication::exec();
}
