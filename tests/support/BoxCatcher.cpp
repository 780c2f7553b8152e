// SPDX-License-Identifier: GPL-3.0-or-later
#include "BoxCatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QScreen>

namespace testsupport {

BoxCatcher::BoxCatcher()
{
    connect(&timer_, &QTimer::timeout, this, &BoxCatcher::poll);
    timer_.start(5);
}

QStringList BoxCatcher::texts() const
{
    QStringList all;
    for (const ShownBox &box : boxes_)
        all << box.title << box.text;
    return all;
}

void BoxCatcher::poll()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (!box || !box->isVisible())
            continue;
        ShownBox shown{box->icon(), box->windowTitle(),   box->text(),
                       {},          box->frameGeometry(), box->screen()->availableGeometry()};
        for (QAbstractButton *button : box->buttons())
            shown.buttons << box->standardButton(button);
        boxes_ << shown;
        if (QAbstractButton *ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->done(QMessageBox::Ok);
    }
}

} // namespace testsupport
