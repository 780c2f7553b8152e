// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace model {

enum class Engine { Sqlite, Postgres, Mariadb };

// One row set of a vocabulary as SQL: a table with the row set's columns in
// the order the view shows them, its rows in the order they are stored, and
// a view over it without ORDER BY.
struct RowSetSql
{
    QString view;               // "QryLithParent" or "QryStratParent"
    QStringList columnNames;    // as the view spells them
    QStringList columnTypes;    // empty: no declared type (SQLite)
    QList<QStringList> rows;    // SQL literals
    bool coveringIndex = false; // an index over every column of the view
};

// A random but legal vocabulary for one engine: names alike in many ways,
// ids of every kind, levels as numbers and as text, parents missing or
// coming late, keys that collide with each other and with the roots', ages
// of every size, in columns of the engine's many types.
struct Vocabulary
{
    Engine engine = Engine::Sqlite;
    quint32 seed = 0;
    RowSetSql lithology;
    std::optional<RowSetSql> stratigraphy;
    bool indexOrder = false; // PostgreSQL: scans that may use an index do

    int rowCount() const;
};

Vocabulary randomVocabulary(quint32 seed, Engine engine);

// The statements that make the vocabulary, for SQLite in the database file,
// for the servers in a fresh database (run as their superuser): tables,
// indexes, views, and read-only grants for the program's login.
QStringList sqliteStatements(const Vocabulary &vocabulary);
QString serverScript(const Vocabulary &vocabulary, const QString &database);

// The row sets as the program's queries name them.
QString quotedView(Engine engine, const QString &view);

// The vocabulary's rows, readable, for a report.
QString describe(const Vocabulary &vocabulary);

} // namespace model
