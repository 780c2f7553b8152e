// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QTimer>

namespace testsupport {

// A message box as the user saw it.
struct ShownBox
{
    QMessageBox::Icon icon;
    QString title;
    QString text;
    QList<QMessageBox::StandardButton> buttons;
    QRect frame;  // where the box stood, frame included
    QRect screen; // the available area of its screen
};

// Records every message box that opens while it lives and presses its OK
// button, so code that shows modal boxes runs through in a test.
class BoxCatcher : public QObject
{
public:
    BoxCatcher();
    const QList<ShownBox> &boxes() const { return boxes_; }
    // Every text shown, for checks that must hold for all of them.
    QStringList texts() const;

private:
    void poll();

    QTimer timer_;
    QList<ShownBox> boxes_;
};

} // namespace testsupport
