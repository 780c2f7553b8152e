// SPDX-License-Identifier: GPL-3.0-or-later
// Recordset's reading in blocks: deciding whether a driver can, binding the
// columns read so far, moving through a fetched block, proving that the
// driver reads cells of the row it is moved to, and falling back to a row
// a fetch where it does not.
#include "Recordset.h"

namespace kestrelon {

namespace {

// Bound columns mixed with cells read one by one need SQLGetData on any
// column, in any order, bound or not; on any row of a block it needs
// SQL_GD_BLOCK too, else blocks hold one row.
SQLULEN rowsForExtensions(SQLUINTEGER extensions)
{
    constexpr SQLUINTEGER needed = SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BOUND;
    if ((extensions & needed) != needed)
        return 0;
    return (extensions & SQL_GD_BLOCK) ? Recordset::blockRows : 1;
}

// MariaDB Connector/ODBC (3.1) mishandles text bound to buffers: a value
// longer than its buffer reads past the driver's own memory, one cut inside
// a character fails the fetch, and a row with a cut value is marked failed.
// Its cursors read every cell on its own, a row a fetch.
bool bindsTextBadly(const QString &driverName)
{
    return driverName.contains(QLatin1String("maodbc"), Qt::CaseInsensitive);
}

} // namespace

SQLULEN Recordset::blockCapacityFor(SQLUINTEGER extensions, const QString &driverName)
{
    return bindsTextBadly(driverName) ? 0 : rowsForExtensions(extensions);
}

// The first row was read cell by cell; from the second on, the columns read
// on it are bound.
void Recordset::startBlocks()
{
    const bool typesHold = database_->keepsDeclaredTypes();
    std::vector<ColumnKind> kinds;
    kinds.reserve(columns_.size());
    for (const Column &column : columns_)
        kinds.push_back(typesHold && column.fitsSigned64 ? ColumnKind::Integer : column.kind);
    const auto textForm =
        database_->singleByteTextIsUtf8() ? RowBlock::TextForm::Utf8 : RowBlock::TextForm::Utf16;
    block_ =
        std::make_unique<RowBlock>(statement_.get(), std::move(kinds), blockCapacity_, textForm);
    blockRow_ = 0;
}

void Recordset::nextBlockRow()
{
    std::fill(loaded_.begin(), loaded_.end(), false);
    ++blockRow_;
    positioned_ = block_->capacity() == 1;
    if (blockRow_ < block_->rowCount())
        return;
    if (failure_) {
        eof_ = true;
        closeCursor(false);
        const Error failure = *failure_;
        failure_.reset();
        throw failure;
    }
    fetchBlock();
}

SQLRETURN Recordset::fetchBlockRows()
{
    const Interruption::Call call = database_->interruptible(statement_.get());
    return watched([this] { return block_->fetch(); });
}

void Recordset::fetchBlock()
{
    for (size_t i = 0; i < used_.size(); ++i) {
        if (used_[i])
            block_->bind(int(i)); // a column the driver will not bind is read cell by cell
    }
    SQLRETURN rc = fetchBlockRows();
    if (rc == SQL_NO_DATA && nextBatch())
        rc = fetchBlockRows();
    blockRow_ = 0;
    positioned_ = true;
    if (rc == SQL_NO_DATA) {
        eof_ = true;
        closeCursor(true);
        return;
    }
    if (!SQL_SUCCEEDED(rc) || block_->stoppedByFailure()) {
        // The rows before the failure are still served; the failure comes
        // when the cursor moves past them.
        const Error failure =
            this->failure(QStringLiteral("Cannot read the next row of \"%1\"").arg(sql_));
        if (block_->rowCount() == 0) {
            eof_ = true;
            closeCursor(false);
            throw failure;
        }
        failure_ = failure;
    } else if (block_->rowCount() == 0) {
        eof_ = true;
        throw Error(
            OdbcCallFailed,
            QStringLiteral("The driver did not tell how many rows of \"%1\" it read").arg(sql_));
    }
    eof_ = false;
}

// Cells that are not in a bound buffer are read from the driver, which must
// stand on their row first.
void Recordset::positionOnBlockRow()
{
    if (positioned_)
        return;
    if (!SQL_SUCCEEDED(SQLSetPos(statement_.get(), SQLSETPOSIROW(blockRow_ + 1), SQL_POSITION,
                                 SQL_LOCK_NO_CHANGE)))
        fail(QStringLiteral("Cannot read the current row of \"%1\"").arg(sql_));
    positioned_ = true;
    // Proving it may already have fallen back, when the driver lost the cell.
    if (!positioningProven_ && !provePositioning() && block_)
        fallBackToSingleRows();
}

// A driver may claim to read cells of any row of a block and yet read them
// from another row (MariaDB's does): the first time the cursor is moved
// within a block, a bound cell that no other row of the block shares is read
// through the driver and compared with its buffer. Without such a cell the
// driver cannot be proven, and is not trusted.
bool Recordset::provePositioning()
{
    for (int column = 0; column < fieldCount(); ++column) {
        if (!block_->isBound(column) || !block_->isOnlyRowWith(column, blockRow_))
            continue;
        bool whole = true;
        const FieldValue buffered = block_->value(column, blockRow_, whole);
        if (!whole)
            continue;
        const FieldValue read = readCell(column);
        positioningProven_ = block_ && read == buffered;
        return positioningProven_;
    }
    return false;
}

std::optional<RawCell> Recordset::rawCell(int index) const
{
    if (eof_ || !block_ || loaded_.at(size_t(index)) || !block_->isBound(index))
        return std::nullopt;
    return block_->raw(index, blockRow_);
}

// For a driver that cannot be trusted with blocks: runs the query again and
// reads it a row a fetch from then on, standing on the row that is current.
// Every row comes once, in the query's order, as long as the query returns
// its rows in the same order again.
void Recordset::fallBackToSingleRows()
{
    const SQLULEN current = rowsPassed_;
    closeCursor(false);
    SQLHSTMT statement = statement_.get();
    SQLFreeStmt(statement, SQL_UNBIND);
    SQLSetStmtAttrW(statement, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
    SQLSetStmtAttrW(statement, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
    SQLSetStmtAttrW(statement, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
    block_.reset();
    blockCapacity_ = 0;
    failure_.reset();
    execute();
    rowsPassed_ = current;
    // Cells of this row read before may be another row's too.
    std::fill(loaded_.begin(), loaded_.end(), false);
    for (SQLULEN row = 0; row <= current; ++row) {
        SQLRETURN rc = watched([this] { return SQLFetch(statement_.get()); });
        if (rc == SQL_NO_DATA && nextBatch())
            rc = watched([this] { return SQLFetch(statement_.get()); });
        if (rc == SQL_NO_DATA) {
            eof_ = true;
            throw Error(
                OdbcCallFailed,
                QStringLiteral("The rows of \"%1\" changed while they were read").arg(sql_));
        }
        if (!SQL_SUCCEEDED(rc)) {
            eof_ = true;
            fail(QStringLiteral("Cannot read the next row of \"%1\"").arg(sql_));
        }
    }
    nextUnread_ = 0;
    eof_ = false;
}

} // namespace kestrelon
