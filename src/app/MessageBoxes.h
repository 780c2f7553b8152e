#pragma once

class QString;
class QWidget;

namespace kestrelon {

// Modal boxes with one OK button, titled with the application's name. Texts
// are shown as plain text, whatever characters the data brings.
void showCritical(QWidget *parent, const QString &text);
void showWarning(QWidget *parent, const QString &text);

} // namespace kestrelon
