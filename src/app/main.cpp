#include "Form1.h"
#include "Pictures.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestrelon"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kestrelon"));
    QApplication::setWindowIcon(kestrelon::Pictures::globe());

    Form1 form;
    form.Form_Load();
    if (form.isUnloaded())
        return 1;
    form.show();
    return application.exec();
}
