// SPDX-License-Identifier: GPL-3.0-or-later
#include "Recordset.h"

#include "Error.h"
#include "OdbcDiagnostics.h"
#include "OdbcText.h"

#include <sqlext.h>

namespace kestrelon {

namespace {

SQLUINTEGER getDataExtensions(SQLHDBC connection)
{
    SQLUINTEGER extensions = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(connection, SQL_GETDATA_EXTENSIONS, &extensions,
                                   sizeof extensions, nullptr)))
        return 0;
    return extensions;
}

// Bound columns mixed with cells read one by one need SQLGetData on any
// column, in any order, bound or not; on any row of a block it needs
// SQL_GD_BLOCK too, else blocks hold one row.
SQLULEN blockCapacityFor(SQLUINTEGER extensions)
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

constexpr size_t initialTextUnits = 256;

} // namespace

Recordset::Recordset(std::shared_ptr<Database> database, QString statement, CursorType type)
    : Recordset(std::move(database), std::move(statement), QStringList(), type)
{
}

Recordset::Recordset(std::shared_ptr<Database> database, QString statement, QStringList parameters,
                     CursorType type)
    : database_(std::move(database)), connection_(database_->connection()),
      statement_(SQL_HANDLE_STMT, database_->allocateStatement(*connection_)),
      sql_(std::move(statement)), parameters_(std::move(parameters)), type_(type),
      textBuffer_(initialTextUnits)
{
    const SQLUINTEGER extensions = getDataExtensions(connection_->get());
    anyOrder_ = extensions & SQL_GD_ANY_ORDER;
    if (type == CursorType::Rewindable)
        askToScroll();
    else
        blockCapacity_ = bindsTextBadly(database_->driverName()) ? 0 : blockCapacityFor(extensions);
    execute();
    describeColumns();
    fetch(SQL_FETCH_NEXT);
}

void Recordset::askToScroll()
{
    const SQLRETURN rc = SQLSetStmtAttrW(statement_.get(), SQL_ATTR_CURSOR_SCROLLABLE,
                                         reinterpret_cast<SQLPOINTER>(SQL_SCROLLABLE), 0);
    scrollable_ = rc == SQL_SUCCESS;
}

// A statement whose connection was lost runs once more, on a connection made
// anew (or already made anew for another statement).
void Recordset::execute()
{
    rowsPassed_ = 0;
    if (runStatement())
        return;
    if (cutOff_ || !odbc::lostConnection(statement_.get(), connection_->get()))
        fail(QStringLiteral("Cannot run \"%1\"").arg(sql_));
    database_->replaceLost(*connection_);
    moveToCurrentConnection();
    if (!runStatement())
        fail(QStringLiteral("Cannot run \"%1\"").arg(sql_));
}

bool Recordset::runStatement()
{
    if (!bindParameters())
        return false;
    auto wide = odbc::toWide(sql_);
    const Interruption::Call call = database_->interruptible(statement_.get());
    const SQLRETURN rc =
        watched([&] { return SQLExecDirectW(statement_.get(), wide.data(), SQL_NTS); });
    open_ = SQL_SUCCEEDED(rc);
    return open_ || rc == SQL_NO_DATA;
}

// Parameters are bound to the statement, so again after it was made anew.
bool Recordset::bindParameters()
{
    parameterBuffers_.clear();
    parameterLengths_.assign(size_t(parameters_.size()), 0);
    for (qsizetype i = 0; i < parameters_.size(); ++i) {
        std::vector<SQLWCHAR> &buffer =
            parameterBuffers_.emplace_back(odbc::toWide(parameters_[i]));
        const SQLLEN units = SQLLEN(buffer.size()) - 1; // without the terminating zero
        parameterLengths_[size_t(i)] = units * SQLLEN(sizeof(SQLWCHAR));
        const SQLRETURN rc = SQLBindParameter(
            statement_.get(), SQLUSMALLINT(i + 1), SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
            SQLULEN(qMax<SQLLEN>(units, 1)), 0, buffer.data(),
            SQLLEN(buffer.size() * sizeof(SQLWCHAR)), &parameterLengths_[size_t(i)]);
        if (!SQL_SUCCEEDED(rc))
            return false;
    }
    return true;
}

// The blocks were bound to the old statement: reading starts over, cell by
// cell, on the new one.
void Recordset::moveToCurrentConnection()
{
    block_.reset();
    std::fill(used_.begin(), used_.end(), false);
    statement_.reset(SQL_NULL_HSTMT); // freed while its connection is still open
    connection_ = database_->connection();
    statement_.reset(database_->allocateStatement(*connection_));
    if (type_ == CursorType::Rewindable)
        askToScroll();
}

// Read to its end, a cursor is closed at once: on a server, an open cursor
// keeps a transaction open, which holds locks and holds back clean-up.
void Recordset::closeCursor()
{
    if (open_)
        watched([this] { return SQLFreeStmt(statement_.get(), SQL_CLOSE); });
    open_ = false;
}

bool Recordset::isSigned(SQLUSMALLINT column) const
{
    SQLLEN answer = SQL_TRUE;
    return SQL_SUCCEEDED(SQLColAttributeW(statement_.get(), column, SQL_DESC_UNSIGNED, nullptr, 0,
                                          nullptr, &answer)) &&
           answer == SQL_FALSE;
}

void Recordset::describeColumns()
{
    SQLSMALLINT count = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(statement_.get(), &count)))
        fail(QStringLiteral("Cannot read the columns of \"%1\"").arg(sql_));
    for (SQLSMALLINT i = 1; i <= count; ++i) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT nameLength = 0, dataType = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        if (!SQL_SUCCEEDED(SQLDescribeColW(statement_.get(), SQLUSMALLINT(i), name,
                                           SQLSMALLINT(std::size(name)), &nameLength, &dataType,
                                           &size, &digits, &nullable)))
            fail(QStringLiteral("Cannot describe column %1 of \"%2\"").arg(i).arg(sql_));
        Column column{odbc::fromWide(name, qMin<qsizetype>(nameLength, 255)), ColumnKind::Text,
                      false};
        switch (dataType) {
        case SQL_CHAR:
        case SQL_VARCHAR:
        case SQL_LONGVARCHAR:
        case SQL_WCHAR:
        case SQL_WVARCHAR:
        case SQL_WLONGVARCHAR:
            column.characters = true;
            break;
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
            column.fitsSigned64 = true;
            column.kind = ColumnKind::Whole;
            break;
        case SQL_BIGINT:
            column.fitsSigned64 = isSigned(SQLUSMALLINT(i));
            column.kind = ColumnKind::Whole;
            break;
        case SQL_BIT:
            column.kind = ColumnKind::Whole;
            break;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
            column.kind = ColumnKind::Fractional;
            break;
        case SQL_NUMERIC:
        case SQL_DECIMAL:
            column.kind = ColumnKind::Decimal;
            break;
        default:
            break;
        }
        // Of several columns with one name, the first is the one found by name.
        const QString key = column.name.toCaseFolded();
        if (!positions_.contains(key))
            positions_.insert(key, i - 1);
        columns_.push_back(std::move(column));
    }
    row_.resize(columns_.size());
    loaded_.resize(columns_.size());
    used_.resize(columns_.size());
}

void Recordset::fetch(SQLSMALLINT orientation)
{
    const Interruption::Call call = database_->interruptible(statement_.get());
    const SQLRETURN rc = watched([&] {
        return scrollable_ ? SQLFetchScroll(statement_.get(), orientation, 0)
                           : SQLFetch(statement_.get());
    });
    if (rc == SQL_NO_DATA) {
        eof_ = true;
        closeCursor();
    } else if (SQL_SUCCEEDED(rc)) {
        eof_ = false;
    } else {
        eof_ = true;
        const Error failure =
            this->failure(QStringLiteral("Cannot read the next row of \"%1\"").arg(sql_));
        closeCursor();
        throw failure;
    }
    std::fill(loaded_.begin(), loaded_.end(), false);
    nextUnread_ = 0;
}

void Recordset::moveNext()
{
    if (eof_)
        throw Error(NoCurrentRow, QStringLiteral("No current row"));
    ++rowsPassed_;
    if (blockCapacity_ == 0) {
        fetch(SQL_FETCH_NEXT);
        return;
    }
    if (!block_)
        startBlocks();
    nextBlockRow();
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
        closeCursor();
        const Error failure = *failure_;
        failure_.reset();
        throw failure;
    }
    fetchBlock();
}

void Recordset::fetchBlock()
{
    for (size_t i = 0; i < used_.size(); ++i) {
        if (used_[i])
            block_->bind(int(i)); // a column the driver will not bind is read cell by cell
    }
    const Interruption::Call call = database_->interruptible(statement_.get());
    const SQLRETURN rc = watched([this] { return block_->fetch(); });
    blockRow_ = 0;
    positioned_ = true;
    if (rc == SQL_NO_DATA) {
        eof_ = true;
        closeCursor();
        return;
    }
    if (!SQL_SUCCEEDED(rc) || block_->stoppedByFailure()) {
        // The rows before the failure are still served; the failure comes
        // when the cursor moves past them.
        const Error failure =
            this->failure(QStringLiteral("Cannot read the next row of \"%1\"").arg(sql_));
        if (block_->rowCount() == 0) {
            eof_ = true;
            closeCursor();
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

void Recordset::moveFirst()
{
    if (scrollable_ && open_) {
        fetch(SQL_FETCH_FIRST);
        return;
    }
    closeCursor();
    execute();
    fetch(SQL_FETCH_NEXT);
}

int Recordset::fieldIndex(const QString &name) const
{
    const auto found = positions_.constFind(name.toCaseFolded());
    if (found == positions_.constEnd())
        throw Error(
            ColumnNotFound,
            QStringLiteral("Item not found in this collection: no column \"%1\"").arg(name));
    return found.value();
}

FieldValue Recordset::value(int index)
{
    if (eof_)
        throw Error(NoCurrentRow, QStringLiteral("No current row"));
    const auto i = size_t(index);
    if (loaded_.at(i))
        return row_[i];
    if (block_) {
        if (block_->isBound(index)) {
            bool whole = true;
            FieldValue value = block_->value(index, blockRow_, whole);
            if (whole)
                return value;
        }
        positionOnBlockRow();
    }
    used_[i] = true;
    return readUpTo(index);
}

std::optional<RawCell> Recordset::rawCell(int index) const
{
    if (eof_ || !block_ || loaded_.at(size_t(index)) || !block_->isBound(index))
        return std::nullopt;
    return block_->raw(index, blockRow_);
}

// Reads the cell from the driver and keeps it for the row.
FieldValue Recordset::readUpTo(int index)
{
    const auto i = size_t(index);
    if (anyOrder_) {
        row_[i] = readCell(index);
        loaded_[i] = true;
        return row_[i];
    }
    // Drivers without SQL_GD_ANY_ORDER hand columns over left to right only.
    while (nextUnread_ <= index) {
        row_[size_t(nextUnread_)] = readCell(nextUnread_);
        loaded_[size_t(nextUnread_)] = true;
        ++nextUnread_;
    }
    return row_[i];
}

FieldValue Recordset::readCell(int index)
{
    const auto column = SQLUSMALLINT(index + 1);
    const ColumnKind kind = columns_[size_t(index)].kind;
    if (kind == ColumnKind::Text)
        return readText(column);
    const FieldValue cell = readText(column);
    if (cell.isNull())
        return cell;
    return kind == ColumnKind::Decimal ? decimalCell(cell.textView()) : numberCell(cell.textView());
}

// Reads a text cell in pieces: the buffer grows to the announced length when a
// piece is cut short, so long definitions arrive whole.
FieldValue Recordset::readText(SQLUSMALLINT column)
{
    QString text;
    for (bool first = true;; first = false) {
        const SQLLEN capacity = SQLLEN(textBuffer_.size() * sizeof(SQLWCHAR));
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(statement_.get(), column, SQL_C_WCHAR, textBuffer_.data(),
                                  capacity, &indicator);
        if (rc == SQL_NO_DATA && first && block_ && block_->capacity() > 1) {
            // A cell not read yet has data, or at least a Null: this driver
            // lost its place on the row it was moved to within the block.
            fallBackToSingleRows();
            rc = SQLGetData(statement_.get(), column, SQL_C_WCHAR, textBuffer_.data(), capacity,
                            &indicator);
        }
        if (rc == SQL_NO_DATA && !first)
            break;
        if (!SQL_SUCCEEDED(rc))
            fail(QStringLiteral("Cannot read column \"%1\"").arg(columns_[column - 1].name));
        if (indicator == SQL_NULL_DATA)
            return FieldValue::null();
        const SQLLEN room = capacity - SQLLEN(sizeof(SQLWCHAR));
        const bool cutShort = indicator == SQL_NO_TOTAL || indicator > room;
        if (!cutShort) {
            text.append(odbc::fromWide(textBuffer_.data(), qsizetype(indicator) / 2));
            break;
        }
        text.append(odbc::fromWide(textBuffer_.data(), qsizetype(room) / 2));
        const size_t rest =
            indicator == SQL_NO_TOTAL ? textBuffer_.size() * 2 : size_t(indicator - room) / 2 + 1;
        if (rest > textBuffer_.size())
            textBuffer_.resize(rest);
    }
    return FieldValue::text(std::move(text));
}

template<typename Call> SQLRETURN Recordset::watched(Call call)
{
    const Watchdog::Watch watch = database_->watch(statement_.get());
    const SQLRETURN rc = call();
    cutOff_ = watch.ranOut();
    return rc;
}

Error Recordset::failure(const QString &context) const
{
    return database_->failure(statement_.get(), context, cutOff_);
}

// For a driver that cannot be trusted with blocks: runs the query again and
// reads it a row a fetch from then on, standing on the row that is current.
// Every row comes once, in the query's order, as long as the query returns
// its rows in the same order again.
void Recordset::fallBackToSingleRows()
{
    const SQLULEN current = rowsPassed_;
    closeCursor();
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
        const SQLRETURN rc = watched([this] { return SQLFetch(statement_.get()); });
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

void Recordset::fail(const QString &context) const
{
    throw failure(context);
}

} // namespace kestrelon
