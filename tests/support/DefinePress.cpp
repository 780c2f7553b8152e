// SPDX-License-Identifier: GPL-3.0-or-later
#include "DefinePress.h"

#include "app/Form1.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace testsupport {

void defineAndWait(Form1 &form)
{
    QSignalSpy shown(&form, &Form1::detailsShown);
    auto *button = form.findChild<QPushButton *>(QStringLiteral("btn_define"));
    QTest::mouseClick(button, Qt::LeftButton);
    // A press that started no request (nothing selected) has nothing to wait for.
    if (shown.isEmpty() && !button->isEnabled())
        QVERIFY2(shown.wait(120000), "Define did not end within two minutes");
}

} // namespace testsupport
