// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace kestrelon {
class Database;
}

namespace testsupport {

// A directory of this test process's own, removed when the process ends.
QString workDir();

// Points the ODBC driver manager at a private odbc.ini with these contents.
// The driver manager caches what it reads for the life of the process, so a
// process uses one set of data sources: call this once, before connecting.
void useOdbcIni(const QString &contents);

// An odbc.ini section that makes "ds_hier" the SQLite file `file`.
QString sqliteDataSource(const QString &file);

// The SQLite file a test process names as "ds_hier": tests write new
// contents into it rather than name another file (see useOdbcIni).
QString sqliteFile();

// Writes the statements' database into sqliteFile() and connects to it
// through the data-access layer, as the program does.
std::shared_ptr<kestrelon::Database> openSqlite(const QStringList &statements);

// An odbc.ini section that makes "ds_hier" a database on the test server.
QString postgresDataSource(const QString &database = QStringLiteral("kestrelon"));

// The throwaway PostgreSQL server that scripts/test starts.
namespace postgres {

// Whether the server is there; tests that need it skip when it is not,
// unless the test script said it must be.
bool available();
// Runs SQL as the superuser; returns psql's exit code.
int run(const QString &database, const QString &sql);
// What a query run as the superuser prints, unaligned, without headers.
QString value(const QString &database, const QString &sql);
void stop();
void start();
// Starts a server of this process's own, with the demo database, and points
// the helpers here at it; it is removed when the process ends. For cases
// that wait on the server for long: they run beside the others. Called
// again, it keeps the server it started. With a network namespace's name
// (see NetworkLink) the server runs inside that namespace, on its own
// 127.0.0.1.
void useOwnServer(const QString &networkNamespace = {});
// Whether the role "user" may only read in this database: no table, view or
// sequence it may change, and nothing it may create (temporary tables,
// which every role may make for its own session, aside).
bool userOnlyReads(const QString &database);

} // namespace postgres

// An odbc.ini section that makes "ds_hier" a database on the test MariaDB
// server, through its Connector/ODBC driver.
QString mariadbDataSource(const QString &database = QStringLiteral("kestrelon"));

// The throwaway MariaDB server that scripts/test starts.
namespace mariadb {

// Whether the server is there; as postgres::available().
bool available();
// Runs SQL as root, in `database` when one is named; returns the client's
// exit code. Backslashes in quoted text are plain characters.
int run(const QString &database, const QString &sql);
// A new database of this name (any old one dropped) made by the SQL.
int recreate(const QString &database, const QString &sql);

} // namespace mariadb

} // namespace testsupport

// Skips the calling test unless the test MariaDB server is running.
#define REQUIRE_MARIADB()                                                                          \
    do {                                                                                           \
        if (!testsupport::mariadb::available())                                                    \
            QSKIP("no test MariaDB server: run the tests with scripts/test");                      \
    } while (false)

// Skips the calling test unless the test PostgreSQL server is running.
#define REQUIRE_POSTGRES()                                                                         \
    do {                                                                                           \
        if (!testsupport::postgres::available())                                                   \
            QSKIP("no test PostgreSQL server: run the tests with scripts/test");                   \
    } while (false)
