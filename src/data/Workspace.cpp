// SPDX-License-Identifier: GPL-3.0-or-later
#include "Workspace.h"

#include "Database.h"
#include "Engine.h"
#include "LoginGuard.h"
#include "OdbcDiagnostics.h"
#include "OdbcText.h"
#include "SqliteReadOnlyMedia.h"

#include "OdbcApi.h"
#include <odbcinst.h>

namespace kestrelon {

namespace {

// One attribute of an ODBC connection string; values that contain the
// string's delimiters are braced.
QString attribute(const QString &key, const QString &value)
{
    const bool needsBraces = value.contains(u';') || value.contains(u'{') || value.contains(u'}') ||
                             value.startsWith(u' ') || value.endsWith(u' ');
    if (!needsBraces)
        return key + u'=' + value;
    QString braced = value;
    braced.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return key + QStringLiteral("={") + braced + u'}';
}

// psqlODBC reading through a cursor in batches (UseDeclareFetch) ends the
// program when the reading of a batch fails, whatever made it fail: a lost
// or reset connection, a server process that ended, a cancel, a time-out.
// Its connections read each result whole instead.
bool runsPsqlOdbc(const QString &dataSourceName)
{
    const QByteArray name = dataSourceName.toUtf8();
    char driver[512] = {};
    SQLGetPrivateProfileString(name.constData(), "Driver", "", driver, int(sizeof driver),
                               "odbc.ini");
    const QByteArray value = QByteArray(driver).toLower();
    return value.contains("psqlodbc") || value.contains("postgres");
}

} // namespace

Workspace::Workspace(std::shared_ptr<Engine> engine, QString name, QString userName,
                     QString password)
    : engine_(std::move(engine)), name_(std::move(name)), userName_(std::move(userName)),
      password_(std::move(password))
{
}

std::shared_ptr<Database> Workspace::openDatabase(const QString &dataSourceName)
{
    return std::make_shared<Database>(shared_from_this(), connect(dataSourceName), dataSourceName,
                                      password_);
}

Connection Workspace::connect(const QString &dataSourceName)
{
    const QString connectionString =
        attribute(QStringLiteral("DSN"), dataSourceName) + u';' +
        attribute(QStringLiteral("UID"), userName_) + u';' +
        attribute(QStringLiteral("PWD"), password_) +
        (runsPsqlOdbc(dataSourceName) ? QStringLiteral(";UseDeclareFetch=0") : QString());
    Connection connection = connectWith(dataSourceName, connectionString);
    // A SQLite file that must be read as immutable is opened again so.
    if (const std::optional<QString> immutable = immutableSqliteName(connection.handle->get())) {
        SQLDisconnect(connection.handle->get());
        connection =
            connectWith(dataSourceName, connectionString + u';' +
                                            attribute(QStringLiteral("Database"), *immutable));
    }
    return connection;
}

Connection Workspace::connectWith(const QString &dataSourceName, const QString &connectionString)
{
    SQLHDBC raw = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, engine_->handle(), &raw)))
        throw odbc::diagnosticError(SQL_HANDLE_ENV, engine_->handle(),
                                    QStringLiteral("Cannot allocate a connection"));
    auto connection = std::make_unique<odbc::Handle>(SQL_HANDLE_DBC, raw);
    SQLSetConnectAttrW(raw, SQL_ATTR_LOGIN_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(SQLULEN(loginTimeoutSeconds)), 0);

    auto wide = odbc::toWide(connectionString);
    const LoginGuard guard{std::chrono::seconds(connectGivesUpAfterSeconds)};
    // No output connection string is asked for: drivers echo the password in it.
    const SQLRETURN rc = SQLDriverConnectW(raw, nullptr, wide.data(), SQL_NTS, nullptr, 0, nullptr,
                                           SQL_DRIVER_NOPROMPT);
    std::fill(wide.begin(), wide.end(), 0);
    const QString context =
        QStringLiteral("Cannot connect to the data source '%1'").arg(dataSourceName);
    if (guard.ranOut())
        throw Error(TimedOut, QStringLiteral("%1: it did not answer within %2 seconds")
                                  .arg(context)
                                  .arg(connectGivesUpAfterSeconds));
    if (!SQL_SUCCEEDED(rc))
        throw odbc::diagnosticError(SQL_HANDLE_DBC, raw, context, password_);
    return {std::move(connection),
            ConnectionSockets::gained(guard.before(), ConnectionSockets::ofProcess())};
}

} // namespace kestrelon
