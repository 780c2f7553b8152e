// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoadedWindow.h"

#include "DefinePress.h"

namespace testsupport {

LoadedWindow::LoadedWindow()
{
    form.Form_Load();
    form.show();
}

void LoadedWindow::define(const QString &key)
{
    probe.select(key);
    defineAndWait(form);
}

} // namespace testsupport
