// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"
#include "Form1.h"
#include "ProgramStart.h"
#include "StartupWarmUp.h"

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

    // Fonts and driver are read while the application connects to the
    // display; the window is the first to lay out text.
    kestrelon::StartupWarmUp warmUp;
    QApplication application(argc, argv);
    kestrelon::setUpApplication();
    warmUp.waitForFonts();

    Form1 form;
    form.Form_Load();
    if (form.isUnloaded())
        return 1;
    form.show();
    return application.exec();
}
