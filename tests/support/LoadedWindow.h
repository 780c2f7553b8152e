// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BoxCatcher.h"
#include "FormProbe.h"

#include "app/Form1.h"

namespace testsupport {

// The window loaded on the configured data source and shown, with every
// message box it opens recorded and answered.
struct LoadedWindow
{
    LoadedWindow();

    // Selects the node with this key and clicks "Define", as a user would,
    // and waits until the window shows the result.
    void define(const QString &key);

    BoxCatcher boxes;
    Form1 form;
    FormProbe probe{form};
};

} // namespace testsupport
