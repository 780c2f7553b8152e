// SPDX-License-Identifier: GPL-3.0-or-later
// Kestrelon's side of the benchmark: one run of the real window on the data
// source "ds_hier", timed step by step.
//
//   kestrelon-bench-app KEY [SHARED_KEY]
//   kestrelon-bench-app --load-only
//   KESTRELON_BENCH_START_NS=$(date +%s%N) kestrelon-bench-app --first-paint
//
// load         Form_Load, from connecting to the built tree
// peak_kb      the process's peak resident memory right after the load
// paint        show() until the tree view has painted for the first time
// expand       expanding the node KEY (its ancestors already open) until the
//              view has painted again
// define       one press of "Define" with the node KEY selected, until the
//              window says the description box and the level label hold
//              the result
// define_full  the same for SHARED_KEY, a term whose name other terms share
//              at other levels: their order decides, so every row is read
// find_first   typing the first letter of KEY's name into the tree view,
//              until the view has painted the node found
// find_next    typing its second letter right after
// first_paint  (--first-paint alone) from process start, as the program
//              starts: the window loaded and shown, until the tree view has
//              painted for the first time
//
// Prints one line of key=value pairs. Run it with QT_QPA_PLATFORM=offscreen
// for numbers that do not depend on a display server.

#include "StartClock.h"
#include "app/Form1.h"
#include "app/ProgramStart.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <cstdlib>
#include <ctime>

using kestrelon::TreeModel;

namespace {

long peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

[[noreturn]] void fail(const QString &message)
{
    std::fprintf(stderr, "kestrelon-bench-app: %s\n", qPrintable(message));
    std::exit(1);
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// Runs the event loop until the widget has painted again; the paint is
// complete once the processEvents() call that delivered it returns.
void waitForPaint(PaintCounter &counter)
{
    const int before = counter.count;
    QElapsedTimer limit;
    limit.start();
    while (counter.count == before) {
        QCoreApplication::processEvents();
        if (limit.elapsed() > 10000)
            fail(QStringLiteral("the tree view never painted"));
    }
}

double cpuMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// A message box during the run would wait for a user who is not there.
void failOnMessageBoxes()
{
    auto *watch = new QTimer(qApp);
    QObject::connect(watch, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            fail(QStringLiteral("message box: ") + box->text());
    });
    watch->start(50);
}

// One press of "Define" on the node, until the window shows the result.
double timeDefine(Form1 &form, const QModelIndex &node)
{
    auto *tv = form.findChild<QTreeView *>(QStringLiteral("tv"));
    auto *btn_define = form.findChild<QPushButton *>(QStringLiteral("btn_define"));
    tv->selectionModel()->setCurrentIndex(node, QItemSelectionModel::ClearAndSelect);
    QCoreApplication::processEvents();
    bool shown = false;
    const QMetaObject::Connection watch =
        QObject::connect(&form, &Form1::detailsShown, [&shown] { shown = true; });
    QElapsedTimer timer;
    timer.start();
    btn_define->click();
    while (!shown) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (timer.elapsed() > 600000)
            fail(QStringLiteral("\"Define\" did not end within ten minutes"));
    }
    const double elapsed = milliseconds(timer);
    QObject::disconnect(watch);
    return elapsed;
}

// One key typed into the tree view, until the view has painted what it found.
double timeKeystroke(QTreeView &tv, PaintCounter &painted, QChar key)
{
    const int code = key.toUpper().unicode(); // Qt's key codes of letters and digits
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, QString(key));
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, QString(key));
    const QModelIndex before = tv.currentIndex();
    QElapsedTimer timer;
    timer.start();
    QCoreApplication::sendEvent(&tv, &press);
    // A longer prefix that still matches the term shown changes nothing to paint.
    if (tv.currentIndex() != before)
        waitForPaint(painted);
    else
        QCoreApplication::processEvents();
    const double elapsed = milliseconds(timer);
    QCoreApplication::sendEvent(&tv, &release);
    return elapsed;
}

// The start-up as a user waits for it, as the program's main() runs it: the
// application set up, the window loaded and shown, until the tree view has
// painted.
int firstPaint(int argc, char *argv[], double atMain)
{
    QCoreApplication::setApplicationName(QStringLiteral("kestrelon"));
    QApplication application(argc, argv);
    kestrelon::setUpApplication();
    failOnMessageBoxes();

    Form1 form;
    const double built = millisecondsSinceLaunch();
    form.Form_Load();
    const double loaded = millisecondsSinceLaunch();
    if (form.isUnloaded())
        fail(QStringLiteral("the window unloaded itself"));
    PaintCounter painted(form.findChild<QTreeView *>(QStringLiteral("tv"))->viewport());
    form.show();
    waitForPaint(painted);
    std::printf("first_paint_ms=%.2f main_ms=%.2f built_ms=%.2f loaded_ms=%.2f\n",
                millisecondsSinceLaunch(), atMain, built, loaded);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const double atMain = millisecondsSinceLaunch();
    if (argc == 2 && argv[1] == QLatin1String("--first-paint"))
        return firstPaint(argc, argv, atMain);
    QApplication application(argc, argv);
    if (argc < 2 || argc > 3)
        fail(QStringLiteral(
            "usage: kestrelon-bench-app KEY [SHARED_KEY] | --load-only | --first-paint"));
    const QString key = QString::fromLocal8Bit(argv[1]);
    const bool loadOnly = key == QLatin1String("--load-only");
    const QString sharedKey = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString();
    failOnMessageBoxes();

    Form1 form;
    auto *tv = form.findChild<QTreeView *>(QStringLiteral("tv"));
    auto *lbl_level = form.findChild<QLabel *>(QStringLiteral("lbl_level"));
    TreeModel &tree = form.nodes();

    QElapsedTimer timer;
    const double cpuBefore = cpuMilliseconds();
    timer.start();
    form.Form_Load();
    const double load = milliseconds(timer);
    const double loadCpu = cpuMilliseconds() - cpuBefore;
    const long peak = peakResidentKb();
    if (form.isUnloaded())
        fail(QStringLiteral("the window unloaded itself"));
    if (loadOnly) {
        std::printf("nodes=%d load_ms=%.2f load_cpu_ms=%.2f peak_kb=%ld\n", tree.nodeCount(), load,
                    loadCpu, peak);
        return 0;
    }

    PaintCounter painted(tv->viewport());
    timer.start();
    form.show();
    waitForPaint(painted);
    const double paint = milliseconds(timer);

    const TreeModel::Node family = tree.find(key);
    if (family == TreeModel::NoNode)
        fail(QStringLiteral("no node has the key ") + key);
    for (TreeModel::Node n = tree.parentOf(family); n != TreeModel::NoNode; n = tree.parentOf(n))
        tv->expand(tree.indexOf(n));
    const QModelIndex familyIndex = tree.indexOf(family);
    tv->scrollTo(familyIndex, QAbstractItemView::PositionAtTop);
    waitForPaint(painted);

    timer.start();
    tv->expand(familyIndex);
    waitForPaint(painted);
    const double expand = milliseconds(timer);
    if (!tv->isExpanded(familyIndex) || tree.image(family) != 2)
        fail(QStringLiteral("the large family did not open"));

    const double define = timeDefine(form, familyIndex);
    const QString level = lbl_level->text().remove(QStringLiteral("Level: "));
    double defineFull = 0;
    QString levelFull;
    if (!sharedKey.isEmpty()) {
        const TreeModel::Node shared = tree.find(sharedKey);
        if (shared == TreeModel::NoNode)
            fail(QStringLiteral("no node has the key ") + sharedKey);
        defineFull = timeDefine(form, tree.indexOf(shared));
        levelFull = lbl_level->text().remove(QStringLiteral("Level: "));
    }

    tv->setFocus();
    const QString name = tree.text(family);
    const double findFirst = timeKeystroke(*tv, painted, name.at(0).toLower());
    const double findNext = timeKeystroke(*tv, painted, name.at(1).toLower());
    if (!tree.text(tree.nodeAt(tv->currentIndex())).startsWith(name.left(2), Qt::CaseInsensitive))
        fail(QStringLiteral("typing did not find a term beginning with ") + name.left(2));

    std::printf("nodes=%d load_ms=%.2f load_cpu_ms=%.2f peak_kb=%ld paint_ms=%.2f family=%d "
                "expand_ms=%.2f define_ms=%.2f level=%s define_full_ms=%.2f level_full=%s "
                "find_first_ms=%.2f find_next_ms=%.2f\n",
                tree.nodeCount(), load, loadCpu, peak, paint, tree.childCount(family), expand,
                define, qPrintable(level), defineFull, qPrintable(levelFull), findFirst, findNext);
    return 0;
}
