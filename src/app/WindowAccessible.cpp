// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowAccessible.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace kestrelon {

namespace {

QAccessibleInterface *windowAccessible(const QString &className, QObject *object)
{
    if (className != QLatin1String("Form1") || !object || !object->isWidgetType())
        return nullptr;
    auto *window = static_cast<QWidget *>(object);
    return window->isWindow() ? new QAccessibleWidget(window, QAccessible::Window) : nullptr;
}

} // namespace

void presentWindowsAsWindows()
{
    QAccessible::installFactory(windowAccessible);
}

} // namespace kestrelon
