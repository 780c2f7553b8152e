// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace testsupport {

// Test data in real SQLite files, written with SQLite itself and read by the
// program through the ODBC driver.
namespace sqlite {

// A new database file (any old one replaced) made by these statements.
// The program must never write to it: when the file is replaced, and when
// the test process ends, its bytes must still be those it was made with, or
// the process fails. A test that changes the file on purpose does so with
// change().
void create(const QString &file, const QStringList &statements);

// Runs statements on an existing file, as another program changing the data
// while Kestrelon has it open would.
void change(const QString &file, const QStringList &statements);

// Runs the statements of a SQL script file of the project's demo data.
QStringList demoScript(const QString &name);

// A value as an SQL literal: NULL, a number, or quoted text.
QString literal(const QVariant &value);

// Statements for a table of rows and a view over it in table order, with
// the given column declarations ("name TYPE", ...).
QStringList rowSet(const QString &view, const QStringList &columns,
                   const QList<QVariantList> &rows);

// The seven columns of "QryLithParent", in its usual order and types.
QStringList lithologyColumns();
// The nine columns of "QryStratParent".
QStringList stratigraphyColumns();

// A hash of the file's bytes, to prove that nothing wrote to it.
QByteArray checksum(const QString &file);

} // namespace sqlite
} // namespace testsupport
