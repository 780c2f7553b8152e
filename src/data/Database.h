// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConnectionSockets.h"
#include "Error.h"
#include "Interruption.h"
#include "OdbcHandle.h"
#include "StatementCanceller.h"
#include "Watchdog.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <utility>

namespace kestrelon {

class Recordset;
class Workspace;
struct Connection;

// How a row cursor may move: forward only, or also back to its first row.
enum class CursorType { ForwardOnly, Rewindable };
// Whether a cursor's rows come whole with its query, or in batches where the
// data source has them read so (see Database::readsInBatches).
enum class Reading { Whole, InBatches };

// An open connection to one ODBC data source. Every call that waits for the
// data source has a time limit. When the connection is lost (the server
// restarted, or ended the session, or stopped answering and was cut off),
// the next statement that notices it connects again once, through the same
// workspace.
class Database : public std::enable_shared_from_this<Database>
{
public:
    Database(std::shared_ptr<Workspace> workspace, Connection connection, QString dataSourceName,
             QString secret);

    // How long one statement may wait for the data source, in seconds.
    // Where the connection's sockets tell what arrives, the limit is on
    // silence: a statement whose rows keep coming over a slow link goes on
    // however long it takes, one from which nothing has come for that long
    // is cancelled. Elsewhere the driver is asked to keep to it. A call
    // still waiting a few seconds later is cut off.
    static constexpr int queryTimeoutSeconds = 30;
    static constexpr int cutOffSeconds = queryTimeoutSeconds + 5;

    const QString &name() const { return name_; }
    SQLHDBC handle() const { return connection_->get(); }
    // The current connection. A statement holds the connection it was made
    // on, which stays open as long as the statement does.
    std::shared_ptr<odbc::Handle> connection() const { return connection_; }

    // A new statement on `connection`, limited to queryTimeoutSeconds.
    SQLHSTMT allocateStatement(const odbc::Handle &connection) const;
    // Connects again, unless `lost` has already been replaced; raises the
    // connection's error when the data source cannot be reached.
    void replaceLost(const odbc::Handle &lost);
    // Bounds one call on a statement of the current connection.
    Watchdog::Watch watch(SQLHSTMT statement)
    {
        return watchdog_.watch(canceller_.target(statement), sockets_);
    }
    // The bytes received from the data source while statements ran, as
    // last seen; any thread may ask.
    std::uint64_t bytesReceived() const { return watchdog_.bytesReceived(); }
    // The error of a failed call on a statement: a time-out when the call
    // was cut off, a cancel when the connection was interrupted, else what
    // the driver reports.
    Error failure(SQLHSTMT statement, const QString &context, bool cutOff) const;

    // A cursor over every row and column of the named query, view or table,
    // standing on its first row, or at its end when there is none. The row
    // set is found as hasRowSet() finds it and sent as the catalogue spells
    // it, quoted; a name the catalogue does not list is sent as given. Of
    // several spellings, the first that a query can read is taken (one may
    // lie in a schema the login may not use, or that is not on its search
    // path), and kept for later queries. A forward-only cursor reads in
    // batches where the data source has them read so.
    std::shared_ptr<Recordset> openRecordset(const QString &rowSetName,
                                             CursorType type = CursorType::ForwardOnly);
    // The same rows with only the named columns, in that order; the column
    // names are sent unquoted.
    std::shared_ptr<Recordset> openRecordset(const QString &rowSetName, const QStringList &columns,
                                             CursorType type = CursorType::ForwardOnly);

    // Whether a forward-only cursor over a whole row set reads it through a
    // cursor of the server's own, a batch of rows a round trip, inside a
    // read-only transaction: PostgreSQL's driver otherwise takes in each
    // result whole, a million terms in some 400 MB.
    bool readsInBatches() const { return numbersRowsInOrder(); }
    // Rows a batch holds, a multiple of the rows a block fetch asks for:
    // some 3 MB in the driver, a round trip for each. Smaller batches cost
    // more round trips and time for little memory; larger ones, memory.
    static constexpr int batchRows = 8192;
    // A name for a new server cursor, not used before on this connection.
    QString newCursorName() { return QStringLiteral("kestrelon_rows_%1").arg(++cursors_); }

    // Whether a read-only transaction that an earlier read opened is still
    // open: the next statement ends it.
    bool inTransaction() const { return inTransaction_; }
    void setInTransaction(bool open) { inTransaction_ = open; }
    // Asks that the next read in batches leave its transaction open at its
    // end, for the statement that follows at once to end it: a round trip
    // fewer.
    void leaveTransactionToNextStatement() { leaveTransactionOpen_ = true; }
    bool takeLeaveTransactionOpen() { return std::exchange(leaveTransactionOpen_, false); }

    // The rows of a query; its `?` markers take `parameters` as bound text.
    std::shared_ptr<Recordset> openQuery(const QString &query, const QStringList &parameters = {});
    // The row set's name as openRecordset() last sent it, or would send it
    // first.
    QString sqlName(const QString &rowSetName);

    // Runs a query of the row set that returns no row, so that a connection
    // that still describes the row set as it was before another program
    // redefined it sees the change (SQLite's driver otherwise hands over
    // cells that are no longer there). Only a help: its failures are left to
    // the real read to report, but a time-out or a cancel is raised. Returns
    // the row set's column names, none when the query failed.
    QStringList refreshDescription(const QString &rowSetName);
    // The row set's column names as the last query of all its columns
    // described them; none before one ran.
    QStringList knownColumns(const QString &rowSetName) const
    {
        return knownColumns_.value(rowSetName);
    }
    // Where the data source is SQLite: its schema's version number when the
    // connection last described a row set by it (read when connecting, and
    // after a query saw it change). A query prepared since another program
    // changed the schema is described as the schema was before.
    std::optional<qint64> describedSchema() const { return describedSchema_; }
    void setDescribedSchema(qint64 version) { describedSchema_ = version; }

    // A column or other identifier quoted as this data source quotes them.
    QString quotedIdentifier(const QString &name) const;
    // The product name of the data source's database system ("SQLite",
    // "PostgreSQL", ...), empty when the driver does not say.
    const QString &systemName() const { return systemName_; }
    // Whether the data source is an SQLite database: the one test for it,
    // whatever depends on it.
    bool runsOnSqlite() const;
    // Whether the server numbers a query's rows in the order in which the
    // query gives them (row_number() over a window of no order, on a
    // subquery whose columns the outer query keeps), so that the order of a
    // row set can be told without reading the row set: PostgreSQL does.
    bool numbersRowsInOrder() const;
    // The file name of the ODBC driver ("psqlodbcw.so", ...), empty when it
    // does not say.
    const QString &driverName() const { return driverName_; }
    // Whether the driver hands over single-byte text as UTF-8, unchanged:
    // the SQLite driver keeps its text so (on Windows it converts it to the
    // ANSI code page), and so does psqlODBC's Unicode driver where the
    // program's character set is UTF-8. Other drivers convert it to a
    // locale's encoding.
    bool singleByteTextIsUtf8() const;
    // Whether the driver hands text as wide characters. One that does not
    // is asked for UTF-8 (see singleByteTextIsUtf8), and every text cell and
    // parameter goes through narrow characters.
    bool handsWideText() const;
    // Whether every value of a column is of the column's declared type.
    // SQLite's declared types only suggest one: an INTEGER column may hold
    // 1.5 or "x".
    bool keepsDeclaredTypes() const { return !runsOnSqlite(); }
    // Whether the driver describes a query's columns by their declared types
    // alone, whatever rows the query returns: then two queries of one row
    // set, without parameters, read its cells alike. Servers do; SQLite's
    // driver does only where it steps through rows (see sqliteTypesByDeclaration).
    bool describesColumnsAsDeclared() const { return describesAsDeclared_; }

    // Whether the data source's catalogue lists a table or view of this
    // name. Names compare without regard to case; the exact spelling is
    // preferred, then the others in the catalogue's order. The catalogue is
    // read once, with the first name asked for. Raises an Error when it
    // cannot be read.
    bool hasRowSet(const QString &rowSetName);
    // Whether a query may read a row set of this name that the catalogue
    // lists: one may lie in a schema the login may not use, or that is not
    // on its search path. The first spelling that may be read is kept for
    // later queries. A time-out or a cancel is raised; a catalogue that
    // cannot be read raises its Error.
    bool canRead(const QString &rowSetName);

    // Text that no error of this connection may show (the password).
    const QString &secret() const { return secret_; }

    // Stops the statement this connection runs, from any thread.
    Interruption &interruption() { return interruption_; }
    // Registers a call on a statement of the current connection with the
    // interruption for as long as the object lives.
    Interruption::Call interruptible(SQLHSTMT statement)
    {
        return Interruption::Call(interruption_, canceller_.target(statement));
    }

private:
    // Readies a new connection to this data source: where a cancel goes,
    // how its driver types columns, and how SQLite sorts.
    void takeUp(SQLHDBC connection);
    // The quoted catalogue spellings of the row sets of this name, in the
    // order they are tried; empty when the catalogue lists none.
    QStringList spellingsOf(const QString &rowSetName);

    std::shared_ptr<Workspace> workspace_;
    std::shared_ptr<odbc::Handle> connection_;
    ConnectionSockets sockets_;
    StatementCanceller canceller_;
    Watchdog watchdog_{std::chrono::seconds(queryTimeoutSeconds),
                       std::chrono::seconds(cutOffSeconds)};
    QString name_;
    QString secret_;
    std::optional<QStringList> listed_; // the catalogue's tables and views
    QHash<QString, QString> resolved_;
    QHash<QString, QStringList> knownColumns_;
    std::optional<qint64> describedSchema_;
    QString systemName_;
    QString driverName_;
    bool describesAsDeclared_ = true;
    quint64 cursors_ = 0;
    bool inTransaction_ = false; // on the current connection
    bool leaveTransactionOpen_ = false;
    Interruption interruption_;
};

} // namespace kestrelon
