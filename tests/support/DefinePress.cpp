// SPDX-License-Identifier: GPL-3.0-or-later
#include "DefinePress.h"

#include "app/Form1.h"

#include <QPushButton>
#include <QTest>

namespace testsupport {

void defineAndWait(Form1 &form)
{
    // The press returns once the details are written.
    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("btn_define")), Qt::LeftButton);
}

} // namespace testsupport
