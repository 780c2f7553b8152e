// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoadedWindow.h"

#include <QTest>

namespace testsupport {

LoadedWindow::LoadedWindow()
{
    form.Form_Load();
    form.show();
}

void LoadedWindow::define(const QString &key)
{
    probe.select(key);
    QVERIFY2(probe.pressDefine(), qPrintable(QStringLiteral("no details for ") + key));
}

} // namespace testsupport
