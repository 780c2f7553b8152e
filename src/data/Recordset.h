// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Database.h"
#include "Error.h"
#include "FieldValue.h"
#include "OdbcHandle.h"
#include "RowBlock.h"

#include "OdbcApi.h"
#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace kestrelon {

// A row cursor over the result of one query. It stands on one row at a time;
// fields of that row are read by position, positions are found by column
// name without regard to case.
//
// A forward-only cursor reads its rows in blocks where the driver allows:
// from the second row on, the columns read so far are bound to buffers that
// one fetch fills for many rows; other columns, and text too long for its
// buffer, are still read one cell at a time. What the caller sees is the
// same either way, row by row and in the order the query returns them. A
// driver that claims to read cells of any row of a block but then loses
// them or reads another row's is read a row a fetch instead.
//
// A cursor read in batches runs its query as a cursor of the server's own,
// inside a read-only transaction, and fetches the next batch of rows from
// it once the driver has handed over the last: the driver never holds more
// than one batch. Read to its end, or closed, it ends the transaction.
class Recordset
{
public:
    Recordset(std::shared_ptr<Database> database, QString statement, CursorType type,
              Reading reading = Reading::Whole);
    // A query whose `?` markers take these texts, in order, as bound
    // parameters: the values never become part of the statement's text.
    Recordset(std::shared_ptr<Database> database, QString statement, QStringList parameters,
              CursorType type);
    // A cursor left midway ends its transaction: nothing else may hold the
    // server's locks meanwhile. Only cursors read in batches ask the server
    // anything here, and those are let go on the thread that read them.
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    // True once the cursor has moved past its last row, and at once for an
    // empty result.
    bool eof() const { return eof_; }
    void moveNext();
    // Makes the first row current again: by scrolling where the driver can,
    // otherwise by running the query again.
    void moveFirst();

    int fieldCount() const { return int(columns_.size()); }
    QString fieldName(int index) const { return columns_.at(size_t(index)).name; }
    QStringList fieldNames() const;
    // How the driver describes a column: as a whole number, a binary
    // fractional number, an exact decimal or text.
    ColumnKind fieldKind(int index) const { return columns_.at(size_t(index)).kind; }
    // Whether the driver describes a column as character text (not as a
    // number, a date or bytes, which it may hand over in a text form of its own).
    bool holdsCharacters(int index) const { return columns_.at(size_t(index)).characters; }
    // The position of the named column; raises ColumnNotFound when there is none.
    int fieldIndex(const QString &name) const;
    // The value of a column of the current row.
    FieldValue value(int index);
    FieldValue field(const QString &name) { return value(fieldIndex(name)); }
    // A cell of the current row as the bytes a block fetch left in its
    // buffer, valid until the cursor moves; valueOf() makes them the value
    // value() gives. Nothing when value() must read the cell.
    std::optional<RawCell> rawCell(int index) const;

    // Rows the cursor has moved past since the query last ran: at its end,
    // how many rows the query returned.
    SQLULEN rowsPassed() const { return rowsPassed_; }

    // Rows one block fetch asks for, where the driver can read cells of any
    // row of a block.
    static constexpr SQLULEN blockRows = 256;
    // Rows the last fetch asked the driver for.
    SQLULEN rowsPerFetch() const { return block_ ? block_->capacity() : 1; }

    // Stops reading: the cursor closes, and so does the transaction it
    // reads in.
    void close() { closeCursor(false); }

private:
    struct Column
    {
        QString name;
        ColumnKind kind;
        bool characters;
        bool fitsSigned64 = false; // an integer type no wider than 64 signed bits
    };

    // Rows a block holds for a driver with these SQLGetData extensions; 0
    // where cells must be read one by one.
    static SQLULEN blockCapacityFor(SQLUINTEGER extensions, const QString &driverName);
    // Runs the query and stands on its first row.
    void open();
    void askToScroll();
    void execute();
    bool runStatement();
    // The text sent to run the query: in batches, the cursor's opening; and
    // the end of a transaction an earlier read left open.
    QString statementText();
    // After the query ran in batches: moves to the first batch's rows.
    void enterFirstBatch();
    // Fetches the next batch from the server, once the driver has handed
    // over a whole batch; false when the last batch was read.
    bool nextBatch();
    // Ends the connection's open transaction, if any; errors are left to
    // the next statement to find.
    void endTransaction();
    [[noreturn]] void failEndingTransaction(const QString &context);
    bool bindParameters();
    void moveToCurrentConnection();
    // `readToEnd`: the cursor moved past its last row, rather than stopping.
    void closeCursor(bool readToEnd);
    void describeColumns();
    // Whether the driver says the column's numbers have a sign.
    bool isSigned(SQLUSMALLINT column) const;
    void fetch(SQLSMALLINT orientation);
    SQLRETURN fetchRow(SQLSMALLINT orientation);
    void startBlocks();
    void nextBlockRow();
    void fetchBlock();
    SQLRETURN fetchBlockRows();
    void positionOnBlockRow();
    bool provePositioning();
    FieldValue readUpTo(int index);
    FieldValue readCell(int index);
    FieldValue readText(SQLUSMALLINT column);
    // Runs one call to the driver under the connection's time limit.
    template<typename Call> SQLRETURN watched(Call call);
    Error failure(const QString &context) const;
    void fallBackToSingleRows();
    [[noreturn]] void fail(const QString &context) const;

    std::shared_ptr<Database> database_;
    std::shared_ptr<odbc::Handle> connection_; // outlives the statement made on it
    odbc::Handle statement_;
    QString sql_;
    QStringList parameters_;
    std::vector<std::vector<SQLWCHAR>> parameterBuffers_; // read by the driver at execution
    std::vector<SQLLEN> parameterLengths_;
    CursorType type_;
    bool scrollable_ = false;
    bool open_ = false;   // the driver's cursor is open
    bool cutOff_ = false; // the last call was cut off at the time limit
    bool anyOrder_ = false;
    bool eof_ = true;
    SQLULEN rowsPassed_ = 0; // rows before the current one since the query ran
    std::vector<Column> columns_;
    QHash<QString, int> positions_;
    // Values of the current row read so far: ODBC hands a column over only once.
    std::vector<FieldValue> row_;
    std::vector<bool> loaded_;
    int nextUnread_ = 0;
    std::vector<SQLWCHAR> textBuffer_;

    // Reading in batches, asked for and, when the query last ran, begun.
    bool batchesAsked_ = false;
    bool inBatches_ = false;
    bool leavesTransactionOpen_ = false; // for the statement that follows
    QString cursorName_;
    SQLLEN batchRowCount_ = 0; // rows of the batch the driver holds

    // Block reading: decided when the cursor opens, started at the first move.
    SQLULEN blockCapacity_ = 0; // 0: cell by cell throughout
    std::unique_ptr<RowBlock> block_;
    SQLULEN blockRow_ = 0;
    bool positioned_ = false;        // the driver's cursor stands on blockRow_
    bool positioningProven_ = false; // the driver reads cells of the row it is moved to
    std::vector<bool> used_;         // columns read so far, bound at the next fetch
    std::optional<Error> failure_;   // reported by the last block fetch after its good rows
};

template<typename Call> SQLRETURN Recordset::watched(Call call)
{
    const Watchdog::Watch watch = database_->watch(statement_.get());
    const SQLRETURN rc = call();
    cutOff_ = watch.ranOut();
    return rc;
}

} // namespace kestrelon
