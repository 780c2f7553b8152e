// SPDX-License-Identifier: GPL-3.0-or-later
#include "Engine.h"

#include "Error.h"
#include "OdbcDiagnostics.h"
#include "Workspace.h"

#include "OdbcApi.h"

namespace kestrelon {

Engine::Engine(SQLHENV environment) : environment_(SQL_HANDLE_ENV, environment) {}

std::shared_ptr<Engine> Engine::instance()
{
    static std::shared_ptr<Engine> engine;
    if (engine)
        return engine;

    SQLHENV environment = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment)))
        throw Error(OdbcCallFailed, QStringLiteral("Cannot create the ODBC environment"));
    std::shared_ptr<Engine> created(new Engine(environment));
    const SQLRETURN rc = SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION,
                                       reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(rc))
        throw odbc::diagnosticError(SQL_HANDLE_ENV, environment,
                                    QStringLiteral("Cannot select ODBC version 3"));
    engine = created;
    return engine;
}

std::shared_ptr<Workspace> Engine::createWorkspace(const QString &name, const QString &userName,
                                                   const QString &password)
{
    return std::make_shared<Workspace>(shared_from_this(), name, userName, password);
}

} // namespace kestrelon
