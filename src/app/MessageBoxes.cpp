#include "MessageBoxes.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace kestrelon {

namespace {

void show(QMessageBox::Icon icon, QWidget *parent, const QString &text)
{
    QMessageBox box(icon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
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
