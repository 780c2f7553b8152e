// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

// The label that shows the level of the term last defined. A screen reader
// hears its caption as its name ("Level: 2"), or "Level" while it is empty;
// each new caption reaches it as a change of name.
class LevelLabel : public QLabel
{
    Q_OBJECT

public:
    explicit LevelLabel(QWidget *parent = nullptr);

    // The label's accessible name while it has no caption.
    static QString emptyName() { return QStringLiteral("Level"); }
};
