#include "Form1.h"
#include "Pictures.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestrelon"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kestrelon"));
    // Ties the window to the installed kestrelon.desktop and its icon.
    QApplication::setDesktopFileName(QStringLiteral("kestrelon"));
    QApplication::setWindowIcon(kestrelon::Pictures::globe());

    Form1 form;
    form.Form_Load();
    if (form.isUnloaded())
        return 1;
    form.show();
    return application.exec();
}
