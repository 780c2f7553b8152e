// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserDataSourceFile.h"

#include <QFileInfo>
#include <QtGlobal>

#ifndef Q_OS_WIN
#include <pwd.h>
#include <unistd.h>
#endif

namespace kestrelon {

namespace {

#ifndef Q_OS_WIN
// Where unixODBC looks: the password database's home directory, "/home"
// when the user has no entry there.
QByteArray homeFromPasswordDatabase()
{
    passwd entry{};
    passwd *found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
        return QByteArray(found->pw_dir);
    return QByteArrayLiteral("/home");
}
#endif

} // namespace

QByteArray userDataSourceFile(const QByteArray &odbcIni, const QByteArray &homeDirectory)
{
    return odbcIni.isEmpty() ? homeDirectory + "/.odbc.ini" : odbcIni;
}

QByteArray odbcIniThatCreatesNothing(const QByteArray &odbcIni, const QByteArray &homeDirectory)
{
    const QString file = QString::fromLocal8Bit(userDataSourceFile(odbcIni, homeDirectory));
    // A dangling link counts as missing: opening it would create its target.
    if (QFileInfo::exists(file))
        return {};
    return QByteArrayLiteral("/dev/null");
}

void keepUserDataSourceFileUncreated()
{
#ifndef Q_OS_WIN
    // The Windows driver manager keeps data sources in the registry, which
    // looking up does not change.
    const QByteArray replacement =
        odbcIniThatCreatesNothing(qgetenv("ODBCINI"), homeFromPasswordDatabase());
    if (!replacement.isEmpty())
        qputenv("ODBCINI", replacement);
#endif
}

} // namespace kestrelon
