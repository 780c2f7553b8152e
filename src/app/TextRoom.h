// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FormLayout.h"

#include <QObject>

class QLabel;
class QPushButton;
class QWidget;

namespace kestrelon {

class Twips;

// The room the button's and the label's captions need at their fonts, in
// twips: the caption with the button's frame and margins around it, and the
// label's caption whole.
TextRoom textRoomOf(const QPushButton &button, const QLabel &label, const Twips &twips);

// Tells when that room may have changed: the window's font or style
// changed, or a control's caption did (a control whose content changes asks
// its window to lay it out again).
class TextRoomWatcher : public QObject
{
    Q_OBJECT

public:
    explicit TextRoomWatcher(QWidget &window);

signals:
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace kestrelon
