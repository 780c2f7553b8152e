// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"
#include "Form1.h"
#include "ProgramStart.h"

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
    kestrelon::setUpApplication();

    Form1 form;
    form.Form_Load();
    if (form.isUnloaded())
        return 1;
    form.show();
    return application.exec();
}
