// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace kestrelon {

// Loads the ODBC driver library that the data source names, ahead of a
// connection to it: the driver manager then finds the driver in memory
// instead of loading and binding it while the connection waits. The library
// stays loaded for the life of the process, as the driver manager keeps a
// driver it has connected with. It may run on any thread. A data source or
// driver that cannot be found is left for the connection to report.
void preloadDriver(const QString &dataSourceName);

} // namespace kestrelon
