// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;
class QWidget;

namespace kestrelon {

// Modal boxes with one OK button, titled with the application's name. Texts
// are shown as plain text, whatever characters the data brings. A box is
// never taller than the screen: very long lines lose their middle, and
// lines that would not fit are left off its end.
void showCritical(QWidget *parent, const QString &text);
void showWarning(QWidget *parent, const QString &text);

} // namespace kestrelon
