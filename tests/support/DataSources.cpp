// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataSources.h"

#include "SqliteFile.h"
#include "Subprocess.h"

#include "data/Database.h"
#include "data/Engine.h"
#include "data/Workspace.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

namespace {

QString environment(const char *name)
{
    return qEnvironmentVariable(name);
}

QString driverOr(const char *variable, const QString &registeredName)
{
    const QString path = environment(variable);
    return path.isEmpty() ? registeredName : path;
}

// Runs a server script of the project (pg-cluster, mariadb-server) on the
// server directory that scripts/test named; what it prints goes to `output`.
int runServerScript(const char *script, const char *directory, const QStringList &arguments,
                    const QByteArray &input = {}, QByteArray *output = nullptr)
{
    Subprocess process(environment(script),
                       QStringList{arguments.first(), environment(directory)} + arguments.mid(1));
    process.write(input);
    process.closeInput();
    const int status = process.waitForExit(60000);
    if (status != 0)
        qWarning("%s %s: %s", script, qPrintable(arguments.first()), process.errors().constData());
    if (output)
        *output = process.output();
    return status;
}

// Whether scripts/test named the test server's directory; when it said the
// server is required, its absence ends the test.
bool serverConfigured(const char *directory, const char *required, const char *server)
{
    const bool configured = !environment(directory).isEmpty();
    if (!configured && !environment(required).isEmpty())
        qFatal("the test %s server is required but not configured", server);
    return configured;
}

int runCluster(const QStringList &arguments, const QByteArray &input = {},
               QByteArray *output = nullptr)
{
    return runServerScript("KESTRELON_TEST_PG_SCRIPT", "KESTRELON_TEST_PG_CLUSTER", arguments,
                           input, output);
}

// Keeps the ODBC drivers loaded for the life of the process: the driver
// manager unloads a driver with its last connection, and a leak checker that
// runs at exit can then no longer say whose memory it found.
void keepDriversLoaded()
{
    for (const char *variable : {"KESTRELON_TEST_SQLITE_DRIVER", "KESTRELON_TEST_PG_DRIVER",
                                 "KESTRELON_TEST_MARIADB_DRIVER"}) {
        const QByteArray path = qgetenv(variable);
        if (!path.isEmpty())
            dlopen(path.constData(), RTLD_NOW | RTLD_NODELETE);
    }
}

// A TCP port on 127.0.0.1 that nothing listens on now.
quint16 freePort()
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(probe, reinterpret_cast<sockaddr *>(&address), sizeof address);
    getsockname(probe, reinterpret_cast<sockaddr *>(&address), &length);
    close(probe);
    return ntohs(address.sin_port);
}

} // namespace

QString workDir()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kestrelon-test-XXXXXX"));
    return dir.path();
}

void useOdbcIni(const QString &contents)
{
    const QString path = workDir() + QStringLiteral("/odbc.ini");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(contents.toUtf8());
    file.close();
    qputenv("ODBCINI", QFile::encodeName(path));
    keepDriversLoaded();
}

QString sqliteDataSource(const QString &file)
{
    return QStringLiteral("[ds_hier]\nDriver=%1\nDatabase=%2\nNoCreat=1\nStepAPI=1\nTimeout=2000\n")
        .arg(driverOr("KESTRELON_TEST_SQLITE_DRIVER", QStringLiteral("SQLite3")), file);
}

QString sqliteFile()
{
    return workDir() + QStringLiteral("/ds.db");
}

std::shared_ptr<kestrelon::Database> openSqlite(const QStringList &statements)
{
    sqlite::create(sqliteFile(), statements);
    return kestrelon::Engine::instance()
        ->createWorkspace(QStringLiteral("ds_hier"), QStringLiteral("user"),
                          QStringLiteral("tamarisk"))
        ->openDatabase(QStringLiteral("ds_hier"));
}

namespace {

// With KESTRELON_TEST_PG_ANSI set, psqlODBC's ANSI driver, which hands only
// narrow characters, stands beside the Unicode one.
QString postgresDriver()
{
    const QString unicode =
        driverOr("KESTRELON_TEST_PG_DRIVER", QStringLiteral("PostgreSQL Unicode"));
    if (environment("KESTRELON_TEST_PG_ANSI").isEmpty())
        return unicode;
    if (unicode == QLatin1String("PostgreSQL Unicode"))
        return QStringLiteral("PostgreSQL ANSI");
    QString ansi = unicode;
    return ansi.replace(QStringLiteral("psqlodbcw"), QStringLiteral("psqlodbca"));
}

} // namespace

QString postgresDataSource(const QString &database)
{
    return QStringLiteral("[ds_hier]\nDriver=%1\nServername=127.0.0.1\nPort=%2\nDatabase=%3\n")
        .arg(postgresDriver(), environment("KESTRELON_TEST_PG_PORT"), database);
}

namespace postgres {

bool available()
{
    return serverConfigured("KESTRELON_TEST_PG_CLUSTER", "KESTRELON_TEST_REQUIRE_PG", "PostgreSQL");
}

int run(const QString &database, const QString &sql)
{
    return runCluster({QStringLiteral("psql"), QStringLiteral("-d"), database}, sql.toUtf8());
}

QString value(const QString &database, const QString &sql)
{
    QByteArray output;
    runCluster({QStringLiteral("psql"), QStringLiteral("-d"), database, QStringLiteral("-At")},
               sql.toUtf8(), &output);
    return QString::fromUtf8(output).trimmed();
}

void stop()
{
    QCOMPARE(runCluster({QStringLiteral("stop")}), 0);
}

void start()
{
    QCOMPARE(runCluster({QStringLiteral("start")}), 0);
}

void useOwnServer(const QString &networkNamespace)
{
    static bool started = false;
    if (started || !available())
        return;
    started = true;
    // Not under workDir(): the server may run as another user, who must
    // reach its directory.
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kestrelon-pg-XXXXXX"));
    dir.setAutoRemove(false);
    qputenv("KESTRELON_TEST_PG_CLUSTER", QFile::encodeName(dir.path()));
    qputenv("KESTRELON_TEST_PG_PORT", QByteArray::number(freePort()));
    static const struct Removal
    {
        ~Removal()
        {
            const QByteArray command = qgetenv("KESTRELON_TEST_PG_SCRIPT") + " destroy " +
                                       qgetenv("KESTRELON_TEST_PG_CLUSTER");
            [[maybe_unused]] const int status = std::system(command.constData());
        }
    } removal;
    QStringList create{QStringLiteral("create"), environment("KESTRELON_TEST_PG_PORT")};
    if (!networkNamespace.isEmpty())
        create << networkNamespace;
    QCOMPARE(runCluster(create), 0);
}

bool userOnlyReads(const QString &database)
{
    return run(database, QStringLiteral(R"SQL(
DO $$
BEGIN
    IF EXISTS (SELECT 1 FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace
               WHERE n.nspname NOT IN ('pg_catalog', 'information_schema')
                 AND ((c.relkind IN ('r', 'v', 'm', 'p', 'f')
                       AND has_table_privilege('user', c.oid, 'INSERT, UPDATE, DELETE, TRUNCATE'))
                   OR (c.relkind = 'S' AND has_sequence_privilege('user', c.oid, 'USAGE, UPDATE'))))
       OR has_database_privilege('user', current_database(), 'CREATE')
       OR has_schema_privilege('user', 'public', 'CREATE') THEN
        RAISE EXCEPTION 'the role "user" may write to %', current_database();
    END IF;
END
$$;
)SQL")) == 0;
}

} // namespace postgres

QString mariadbDataSource(const QString &database)
{
    return QStringLiteral("[ds_hier]\nDriver=%1\nServer=127.0.0.1\nPort=%2\nDatabase=%3\n"
                          "CharSet=utf8mb4\n")
        .arg(driverOr("KESTRELON_TEST_MARIADB_DRIVER", QStringLiteral("MariaDB Unicode")),
             environment("KESTRELON_TEST_MARIADB_PORT"), database);
}

namespace mariadb {

bool available()
{
    return serverConfigured("KESTRELON_TEST_MARIADB_DIR", "KESTRELON_TEST_REQUIRE_MARIADB",
                            "MariaDB");
}

int run(const QString &database, const QString &sql)
{
    // Quotes in test data are doubled, never backslashed.
    const QString script =
        QStringLiteral("SET SESSION sql_mode = CONCAT(@@sql_mode, ',NO_BACKSLASH_ESCAPES');\n") +
        sql;
    QStringList arguments{QStringLiteral("sql")};
    if (!database.isEmpty())
        arguments << database;
    return runServerScript("KESTRELON_TEST_MARIADB_SCRIPT", "KESTRELON_TEST_MARIADB_DIR", arguments,
                           script.toUtf8());
}

int recreate(const QString &database, const QString &sql)
{
    return run(QString(), QStringLiteral("DROP DATABASE IF EXISTS %1;\n"
                                         "CREATE DATABASE %1 CHARACTER SET utf8mb4 "
                                         "COLLATE utf8mb4_bin;\nUSE %1;\n%2")
                              .arg(database, sql));
}

} // namespace mariadb

} // namespace testsupport
