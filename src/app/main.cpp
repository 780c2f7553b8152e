// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"
#include "Form1.h"
#include "Pictures.h"
#include "WindowAccessible.h"

#include <QApplication>

namespace {

void nameTheApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("kestrelon"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTRELON_VERSION));
}

} // namespace

int main(int argc, char *argv[])
{
    nameTheApplication();
    kestrelon::readCommandLine(argc, argv);

    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Kestrelon"));
    // Ties the window to the installed kestrelon.desktop and its icon.
    QApplication::setDesktopFileName(QStringLiteral("kestrelon"));
    QApplication::setWindowIcon(kestrelon::Pictures::globe());
    kestrelon::presentWindowsAsWindows();

    Form1 form;
    form.Form_Load();
    if (form.isUnloaded())
        return 1;
    form.show();
    return application.exec();
}
