// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OdbcHandle.h"

#include <QString>
#include <memory>

namespace kestrelon {

class Workspace;

// The data-access engine: the program's ODBC environment, through which all
// connections go to the system's driver manager.
class Engine : public std::enable_shared_from_this<Engine>
{
public:
    // The program-wide engine, created on first use and kept until the end.
    static std::shared_ptr<Engine> instance();

    // A workspace whose connections carry these credentials.
    std::shared_ptr<Workspace> createWorkspace(const QString &name, const QString &userName,
                                               const QString &password);

    SQLHENV handle() const { return environment_.get(); }

private:
    explicit Engine(SQLHENV environment);

    odbc::Handle environment_;
};

} // namespace kestrelon
