#pragma once

#include "Database.h"
#include "Error.h"
#include "FieldValue.h"
#include "OdbcHandle.h"
#include "RowBlock.h"

#include <QHash>
#include <QString>
#include <memory>
#include <optional>
#include <sql.h>
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
// same either way, row by row and in the order the query returns them.
class Recordset
{
public:
    Recordset(std::shared_ptr<Database> database, QString statement, CursorType type);

    // True once the cursor has moved past its last row, and at once for an
    // empty result.
    bool eof() const { return eof_; }
    void moveNext();
    // Makes the first row current again: by scrolling where the driver can,
    // otherwise by running the query again.
    void moveFirst();

    int fieldCount() const { return int(columns_.size()); }
    QString fieldName(int index) const { return columns_.at(size_t(index)).name; }
    // The position of the named column; raises ColumnNotFound when there is none.
    int fieldIndex(const QString &name) const;
    // The value of a column of the current row.
    FieldValue value(int index);
    FieldValue field(const QString &name) { return value(fieldIndex(name)); }

    // Rows one block fetch asks for, where the driver can read cells of any
    // row of a block.
    static constexpr SQLULEN blockRows = 256;
    // Rows the last fetch asked the driver for.
    SQLULEN rowsPerFetch() const { return block_ ? block_->capacity() : 1; }

private:
    struct Column
    {
        QString name;
        ColumnKind kind;
    };

    void execute();
    void describeColumns();
    void fetch(SQLSMALLINT orientation);
    void startBlocks();
    void nextBlockRow();
    void fetchBlock();
    void positionOnBlockRow();
    FieldValue readCell(int index);
    FieldValue readText(SQLUSMALLINT column);
    [[noreturn]] void fail(const QString &context) const;

    std::shared_ptr<Database> database_;
    odbc::Handle statement_;
    QString sql_;
    bool scrollable_ = false;
    bool anyOrder_ = false;
    bool eof_ = true;
    std::vector<Column> columns_;
    QHash<QString, int> positions_;
    // Values of the current row read so far: ODBC hands a column over only once.
    std::vector<FieldValue> row_;
    std::vector<bool> loaded_;
    int nextUnread_ = 0;
    std::vector<SQLWCHAR> textBuffer_;

    // Block reading: decided when the cursor opens, started at the first move.
    SQLULEN blockCapacity_ = 0; // 0: cell by cell throughout
    std::unique_ptr<RowBlock> block_;
    SQLULEN blockRow_ = 0;
    bool positioned_ = false;      // the driver's cursor stands on blockRow_
    std::vector<bool> used_;       // columns read so far, bound at the next fetch
    std::optional<Error> failure_; // reported by the last block fetch after its good rows
};

} // namespace kestrelon
