// SPDX-License-Identifier: GPL-3.0-or-later
#include "MessageBoxes.h"

#include "Messages.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

namespace kestrelon {

namespace {

// Longest line a box shows; a longer one loses its middle. Laying out a
// line of a hundred thousand characters alone takes seconds.
constexpr qsizetype longestLine = 1000;

QString withBoundedLines(const QString &text)
{
    QStringList lines = text.split(u'\n');
    for (QString &line : lines)
        line = elidedInTheMiddle(line, longestLine);
    return lines.join(u'\n');
}

// A message box that never grows past the screen's available height: the
// lines that do not fit are left off its end, and an ellipsis says so.
class FittedMessageBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    // The box takes its size from its text when shown, and again whenever
    // its layout asks.
    void showEvent(QShowEvent *event) override
    {
        QMessageBox::showEvent(event);
        fitToScreen();
    }
    bool event(QEvent *event) override
    {
        const bool handled = QMessageBox::event(event);
        if (event->type() == QEvent::LayoutRequest && isVisible())
            fitToScreen();
        return handled;
    }

private:
    void fitToScreen()
    {
        const QRect screen = this->screen()->availableGeometry();
        const int frame = frameGeometry().height() - height();
        const auto fits = [&] { return height() + frame <= screen.height(); };
        if (fits())
            return;
        const QStringList lines = text().split(u'\n');
        // The most lines that fit, found by halving: each try lays out
        // only the lines kept.
        qsizetype fitting = 0;
        qsizetype tooMany = lines.size();
        while (tooMany - fitting > 1) {
            const qsizetype kept = (fitting + tooMany) / 2;
            showFirstLines(lines, kept);
            (fits() ? fitting : tooMany) = kept;
        }
        showFirstLines(lines, fitting);
        move(qBound(screen.left(), x(), qMax(screen.left(), screen.right() - width())),
             qBound(screen.top(), y(), qMax(screen.top(), screen.bottom() - height() - frame)));
    }

    void showFirstLines(const QStringList &lines, qsizetype count)
    {
        setText(lines.first(count).join(u'\n') + QStringLiteral("\n") + QChar(0x2026));
    }
};

void show(QMessageBox::Icon icon, QWidget *parent, const QString &text)
{
    FittedMessageBox box(icon, QGuiApplication::applicationDisplayName(), withBoundedLines(text),
                         QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

void showCritical(QWidget *parent, const QString &text)
{
    show(QMessageBox::Critical, parent, text);
}

void showWarning(QWidget *parent, const QString &text)
{
    show(QMessageBox::Warning, parent, text);
}

} // namespace kestrelon
