#include "Recordset.h"

#include "Error.h"
#include "OdbcDiagnostics.h"
#include "OdbcText.h"

#include <sqlext.h>

namespace kestrelon {

namespace {

SQLHSTMT allocateStatement(const Database &database)
{
    SQLHSTMT raw = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, database.handle(), &raw)))
        throw odbc::diagnosticError(SQL_HANDLE_DBC, database.handle(),
                                    QStringLiteral("Cannot allocate a statement"),
                                    database.secret());
    return raw;
}

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

constexpr size_t initialTextUnits = 256;

} // namespace

Recordset::Recordset(std::shared_ptr<Database> database, QString statement, CursorType type)
    : database_(std::move(database)), statement_(SQL_HANDLE_STMT, allocateStatement(*database_)),
      sql_(std::move(statement)), textBuffer_(initialTextUnits)
{
    const SQLUINTEGER extensions = getDataExtensions(database_->handle());
    anyOrder_ = extensions & SQL_GD_ANY_ORDER;
    if (type == CursorType::Rewindable) {
        const SQLRETURN rc = SQLSetStmtAttrW(statement_.get(), SQL_ATTR_CURSOR_SCROLLABLE,
                                             reinterpret_cast<SQLPOINTER>(SQL_SCROLLABLE), 0);
        scrollable_ = rc == SQL_SUCCESS;
    } else {
        blockCapacity_ = blockCapacityFor(extensions);
    }
    execute();
    describeColumns();
    fetch(SQL_FETCH_NEXT);
}

void Recordset::execute()
{
    auto wide = odbc::toWide(sql_);
    const Interruption::Call call(database_->interruption(), statement_.get());
    const SQLRETURN rc = SQLExecDirectW(statement_.get(), wide.data(), SQL_NTS);
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        fail(QStringLiteral("Cannot run \"%1\"").arg(sql_));
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
        Column column{odbc::fromWide(name, qMin<qsizetype>(nameLength, 255)), ColumnKind::Text};
        switch (dataType) {
        case SQL_BIT:
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            column.kind = ColumnKind::Whole;
            break;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_NUMERIC:
        case SQL_DECIMAL:
            column.kind = ColumnKind::Fractional;
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
    const Interruption::Call call(database_->interruption(), statement_.get());
    const SQLRETURN rc =
        scrollable_ ? SQLFetchScroll(statement_.get(), orientation, 0) : SQLFetch(statement_.get());
    if (rc == SQL_NO_DATA) {
        eof_ = true;
    } else if (SQL_SUCCEEDED(rc)) {
        eof_ = false;
    } else {
        eof_ = true;
        fail(QStringLiteral("Cannot read the next row of \"%1\"").arg(sql_));
    }
    std::fill(loaded_.begin(), loaded_.end(), false);
    nextUnread_ = 0;
}

void Recordset::moveNext()
{
    if (eof_)
        throw Error(NoCurrentRow, QStringLiteral("No current row"));
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
    std::vector<ColumnKind> kinds;
    kinds.reserve(columns_.size());
    for (const Column &column : columns_)
        kinds.push_back(column.kind);
    block_ = std::make_unique<RowBlock>(statement_.get(), std::move(kinds), blockCapacity_);
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
    const Interruption::Call call(database_->interruption(), statement_.get());
    const SQLRETURN rc = block_->fetch();
    blockRow_ = 0;
    positioned_ = true;
    if (rc == SQL_NO_DATA) {
        eof_ = true;
        return;
    }
    if (!SQL_SUCCEEDED(rc) || block_->stoppedByFailure()) {
        // The rows before the failure are still served; the failure comes
        // when the cursor moves past them.
        const Error failure = odbc::diagnosticError(
            SQL_HANDLE_STMT, statement_.get(),
            QStringLiteral("Cannot read the next row of \"%1\"").arg(sql_), database_->secret());
        if (block_->rowCount() == 0) {
            eof_ = true;
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
}

void Recordset::moveFirst()
{
    if (scrollable_) {
        fetch(SQL_FETCH_FIRST);
        return;
    }
    SQLFreeStmt(statement_.get(), SQL_CLOSE);
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
    return cell.isNull() ? cell : numberCell(cell.textView(), kind);
}

// Reads a text cell in pieces: the buffer grows to the announced length when a
// piece is cut short, so long definitions arrive whole.
FieldValue Recordset::readText(SQLUSMALLINT column)
{
    QString text;
    for (bool first = true;; first = false) {
        const SQLLEN capacity = SQLLEN(textBuffer_.size() * sizeof(SQLWCHAR));
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(statement_.get(), column, SQL_C_WCHAR, textBuffer_.data(),
                                        capacity, &indicator);
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

void Recordset::fail(const QString &context) const
{
    throw odbc::diagnosticError(SQL_HANDLE_STMT, statement_.get(), context, database_->secret());
}

} // namespace kestrelon
