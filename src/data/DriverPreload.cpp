// SPDX-License-Identifier: GPL-3.0-or-later
#include "DriverPreload.h"

#include "OdbcApi.h"
#include <odbcinst.h>

#include <QDir>
#include <QLibrary>

namespace kestrelon {

namespace {

QByteArray profileString(const QByteArray &section, const char *key, const char *file)
{
    char value[1024] = {};
    SQLGetPrivateProfileString(section.constData(), key, "", value, int(sizeof value), file);
    return QByteArray(value);
}

} // namespace

void preloadDriver(const QString &dataSourceName)
{
    // A data source names its driver's library, or the driver's entry in
    // odbcinst.ini, which names the library.
    QString driver =
        QString::fromLocal8Bit(profileString(dataSourceName.toUtf8(), "Driver", "odbc.ini"));
    if (!driver.isEmpty() && !QDir::isAbsolutePath(driver))
        driver = QString::fromLocal8Bit(profileString(driver.toUtf8(), "Driver", "odbcinst.ini"));
    if (driver.isEmpty() || !QDir::isAbsolutePath(driver))
        return;
    // Left loaded when the QLibrary goes.
    QLibrary library(driver);
    library.load();
}

} // namespace kestrelon
