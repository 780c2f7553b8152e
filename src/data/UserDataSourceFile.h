// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

namespace kestrelon {

// unixODBC creates the user's own odbc.ini, empty, the first time it looks
// a data source up there and finds no such file: the file $ODBCINI names,
// else .odbc.ini in the home directory the password database gives. The
// program only reads. Where that file is missing, the driver manager is
// pointed at /dev/null instead, which it reads as it reads a missing file
// (no data sources) and which opening cannot create. The system's data
// sources are read as before.

// The file unixODBC takes for the user's own data sources, given the value
// of ODBCINI (empty when unset) and the user's home directory.
QByteArray userDataSourceFile(const QByteArray &odbcIni, const QByteArray &homeDirectory);

// What ODBCINI must hold so that no file is created: empty where the user's
// file exists and may stay as it is.
QByteArray odbcIniThatCreatesNothing(const QByteArray &odbcIni, const QByteArray &homeDirectory);

// Sets ODBCINI for this process where the user's file is missing. It
// changes the environment: call it before any other thread starts.
void keepUserDataSourceFileUncreated();

} // namespace kestrelon
