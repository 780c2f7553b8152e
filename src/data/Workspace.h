// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConnectionSockets.h"
#include "OdbcHandle.h"

#include <QString>
#include <memory>

namespace kestrelon {

class Database;
class Engine;

// An open ODBC connection and the sockets it holds.
struct Connection
{
    std::unique_ptr<odbc::Handle> handle;
    ConnectionSockets sockets;
};

// A named session that opens databases with one set of credentials. Its
// connections go straight to the ODBC driver manager.
class Workspace : public std::enable_shared_from_this<Workspace>
{
public:
    Workspace(std::shared_ptr<Engine> engine, QString name, QString userName, QString password);

    const QString &name() const { return name_; }

    // Connects to the ODBC data source without ever prompting: the driver
    // manager connects with the data source name and these credentials, or
    // fails. A server that does not answer fails after the login time-out,
    // one that stops answering later in the connect a few seconds after.
    std::shared_ptr<Database> openDatabase(const QString &dataSourceName);
    // A new connection to the data source, made the same way.
    Connection connect(const QString &dataSourceName);

    static constexpr int loginTimeoutSeconds = 15;
    // A connect still waiting this long is cut off, whatever step it is at
    // (the driver's login time-out covers only the login itself).
    static constexpr int connectGivesUpAfterSeconds = loginTimeoutSeconds + 5;

private:
    Connection connectWith(const QString &dataSourceName, const QString &connectionString);

    std::shared_ptr<Engine> engine_;
    QString name_;
    QString userName_;
    QString password_;
};

} // namespace kestrelon
