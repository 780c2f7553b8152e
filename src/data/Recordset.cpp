// SPDX-License-Identifier: GPL-3.0-or-later
#include "Recordset.h"

#include "Error.h"
#include "OdbcDiagnostics.h"
#include "OdbcText.h"
#include "Utf8Text.h"

#include "OdbcApi.h"

#include <cstring>

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

constexpr size_t initialTextUnits = 256;

} // namespace

Recordset::Recordset(std::shared_ptr<Database> database, QString statement, CursorType type,
                     Reading reading)
    : database_(std::move(database)), connection_(database_->connection()),
      statement_(SQL_HANDLE_STMT, database_->allocateStatement(*connection_)),
      sql_(std::move(statement)), type_(type), textBuffer_(initialTextUnits),
      batchesAsked_(reading == Reading::InBatches && type == CursorType::ForwardOnly)
{
    open();
}

Recordset::Recordset(std::shared_ptr<Database> database, QString statement, QStringList parameters,
                     CursorType type)
    : database_(std::move(database)), connection_(database_->connection()),
      statement_(SQL_HANDLE_STMT, database_->allocateStatement(*connection_)),
      sql_(std::move(statement)), parameters_(std::move(parameters)), type_(type),
      textBuffer_(initialTextUnits)
{
    open();
}

Recordset::~Recordset()
{
    if (inBatches_)
        closeCursor(false);
}

void Recordset::open()
{
    const SQLUINTEGER extensions = getDataExtensions(connection_->get());
    anyOrder_ = extensions & SQL_GD_ANY_ORDER;
    if (type_ == CursorType::Rewindable)
        askToScroll();
    else
        blockCapacity_ = blockCapacityFor(extensions, database_->driverName());
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
    const QString context = QStringLiteral("Cannot run \"%1\"").arg(sql_);
    if (runStatement())
        return;
    if (cutOff_ || !odbc::lostConnection(statement_.get(), connection_->get()))
        failEndingTransaction(context);
    database_->replaceLost(*connection_);
    moveToCurrentConnection();
    if (!runStatement())
        failEndingTransaction(context);
}

bool Recordset::runStatement()
{
    if (!bindParameters())
        return false;
    const bool endsTransaction = database_->inTransaction();
    auto wide = odbc::toWide(statementText());
    SQLRETURN rc = SQL_ERROR;
    {
        const Interruption::Call call = database_->interruptible(statement_.get());
        rc = watched([&] { return SQLExecDirectW(statement_.get(), wide.data(), SQL_NTS); });
    }
    open_ = SQL_SUCCEEDED(rc);
    if (!open_ && rc != SQL_NO_DATA)
        return false;
    // The transaction ended with the statement, and another began where
    // the rows come in batches.
    if (endsTransaction || inBatches_)
        database_->setInTransaction(inBatches_);
    if (inBatches_)
        enterFirstBatch();
    return true;
}

// Parameters are bound to the statement, so again after it was made anew.
bool Recordset::bindParameters()
{
    parameterBuffers_.clear();
    parameterLengths_.assign(size_t(parameters_.size()), 0);
    const bool wide = database_->handsWideText();
    for (qsizetype i = 0; i < parameters_.size(); ++i) {
        std::vector<SQLWCHAR> &buffer =
            parameterBuffers_.emplace_back(odbc::toWide(parameters_[i]));
        SQLLEN units = SQLLEN(buffer.size()) - 1; // without the terminating zero
        SQLLEN bytes = units * SQLLEN(sizeof(SQLWCHAR));
        if (!wide) {
            // The same buffer holds the UTF-8 bytes instead.
            const QByteArray utf8 = parameters_[i].toUtf8();
            buffer.assign(size_t(utf8.size()) / sizeof(SQLWCHAR) + 1, 0);
            std::memcpy(buffer.data(), utf8.constData(), size_t(utf8.size()));
            units = bytes = SQLLEN(utf8.size());
        }
        parameterLengths_[size_t(i)] = bytes;
        const SQLRETURN rc = SQLBindParameter(
            statement_.get(), SQLUSMALLINT(i + 1), SQL_PARAM_INPUT, wide ? SQL_C_WCHAR : SQL_C_CHAR,
            wide ? SQL_WVARCHAR : SQL_VARCHAR, SQLULEN(qMax<SQLLEN>(units, 1)), 0, buffer.data(),
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
void Recordset::closeCursor(bool readToEnd)
{
    if (open_)
        watched([this] { return SQLFreeStmt(statement_.get(), SQL_CLOSE); });
    open_ = false;
    if (!inBatches_)
        return;
    inBatches_ = false;
    if (!(readToEnd && leavesTransactionOpen_))
        endTransaction();
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
        // The name and type from the column's descriptor rather than
        // SQLDescribeCol, for which psqlODBC first looks the column's table
        // up in the server's catalogue: a round trip for every row set.
        SQLWCHAR name[256] = {};
        SQLSMALLINT nameBytes = 0;
        SQLLEN dataType = 0;
        if (!SQL_SUCCEEDED(SQLColAttributeW(statement_.get(), SQLUSMALLINT(i), SQL_DESC_NAME, name,
                                            SQLSMALLINT(sizeof name), &nameBytes, nullptr)) ||
            !SQL_SUCCEEDED(SQLColAttributeW(statement_.get(), SQLUSMALLINT(i), SQL_DESC_TYPE,
                                            nullptr, 0, nullptr, &dataType)))
            fail(QStringLiteral("Cannot describe column %1 of \"%2\"").arg(i).arg(sql_));
        const qsizetype nameLength = qBound<qsizetype>(0, nameBytes / qsizetype(sizeof(SQLWCHAR)),
                                                       qsizetype(std::size(name)) - 1);
        Column column{odbc::fromWide(name, nameLength), ColumnKind::Text, false};
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

SQLRETURN Recordset::fetchRow(SQLSMALLINT orientation)
{
    const Interruption::Call call = database_->interruptible(statement_.get());
    return watched([&] {
        return scrollable_ ? SQLFetchScroll(statement_.get(), orientation, 0)
                           : SQLFetch(statement_.get());
    });
}

void Recordset::fetch(SQLSMALLINT orientation)
{
    SQLRETURN rc = fetchRow(orientation);
    if (rc == SQL_NO_DATA && nextBatch())
        rc = fetchRow(orientation);
    if (rc == SQL_NO_DATA) {
        eof_ = true;
        closeCursor(true);
    } else if (SQL_SUCCEEDED(rc)) {
        eof_ = false;
    } else {
        eof_ = true;
        const Error failure =
            this->failure(QStringLiteral("Cannot read the next row of \"%1\"").arg(sql_));
        closeCursor(false);
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

void Recordset::moveFirst()
{
    // A cursor that has not moved stands on its first row already.
    if (rowsPassed_ == 0)
        return;
    if (scrollable_ && open_) {
        fetch(SQL_FETCH_FIRST);
        return;
    }
    closeCursor(false);
    execute();
    fetch(SQL_FETCH_NEXT);
}

QStringList Recordset::fieldNames() const
{
    QStringList names;
    for (const Column &column : columns_)
        names << column.name;
    return names;
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
// piece is cut short, so long definitions arrive whole. A driver that hands
// no wide characters hands UTF-8 (see Database::handsWideText).
FieldValue Recordset::readText(SQLUSMALLINT column)
{
    const bool wide = database_->handsWideText();
    const SQLSMALLINT type = wide ? SQL_C_WCHAR : SQL_C_CHAR;
    const SQLLEN unit = wide ? SQLLEN(sizeof(SQLWCHAR)) : 1;
    QString text;
    QByteArray bytes;
    const auto append = [&](SQLLEN length) {
        if (wide)
            text.append(odbc::fromWide(textBuffer_.data(), qsizetype(length) / unit));
        else
            bytes.append(reinterpret_cast<const char *>(textBuffer_.data()), qsizetype(length));
    };
    for (bool first = true;; first = false) {
        const SQLLEN capacity = SQLLEN(textBuffer_.size() * sizeof(SQLWCHAR));
        SQLLEN indicator = 0;
        SQLRETURN rc =
            SQLGetData(statement_.get(), column, type, textBuffer_.data(), capacity, &indicator);
        if (rc == SQL_NO_DATA && first && block_ && block_->capacity() > 1) {
            // A cell not read yet has data, or at least a Null: this driver
            // lost its place on the row it was moved to within the block.
            fallBackToSingleRows();
            rc = SQLGetData(statement_.get(), column, type, textBuffer_.data(), capacity,
                            &indicator);
        }
        if (rc == SQL_NO_DATA && !first)
            break;
        if (!SQL_SUCCEEDED(rc))
            fail(QStringLiteral("Cannot read column \"%1\"").arg(columns_[column - 1].name));
        if (indicator == SQL_NULL_DATA)
            return FieldValue::null();
        const SQLLEN room = capacity - unit;
        const bool cutShort = indicator == SQL_NO_TOTAL || indicator > room;
        if (!cutShort) {
            append(indicator);
            break;
        }
        append(room);
        const size_t rest = indicator == SQL_NO_TOTAL
                                ? textBuffer_.size() * 2
                                : size_t(indicator - room) / sizeof(SQLWCHAR) + 1;
        if (rest > textBuffer_.size())
            textBuffer_.resize(rest);
    }
    return FieldValue::text(wide ? std::move(text) : textOfUtf8(bytes));
}

Error Recordset::failure(const QString &context) const
{
    return database_->failure(statement_.get(), context, cutOff_);
}

void Recordset::fail(const QString &context) const
{
    throw failure(context);
}

} // namespace kestrelon
