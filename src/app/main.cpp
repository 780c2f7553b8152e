// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"
#include "Form1.h"
#include "ProgramStart.h"

#include "data/UserDataSourceFile.h"

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
    // Before any thread starts: it may set an environment variable.
    kestrelon::keepUserDataSourceFileUncreated();

    QApplication application(argc, argv);
    kestrelon::setUpApplication();

    Form1 form;
    form.Form_Load();
    if (form.isUnloaded())
        return 1;
    form.show();
    return application.exec();
}
