// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramStart.h"

#include "Pictures.h"
#include "WindowAccessible.h"

#include <QApplication>

namespace kestrelon {

void setUpApplication()
{
    QApplication::setApplicationDisplayName(QStringLiteral("Kestrelon"));
    // Ties the windows to the installed kestrelon.desktop and its icon.
    QApplication::setDesktopFileName(QStringLiteral("kestrelon"));
    // The main window completes the icon once it has painted.
    QApplication::setWindowIcon(Pictures::globeForTitleBar());
    presentWindowsAsWindows();
}

} // namespace kestrelon
