// SPDX-License-Identifier: GPL-3.0-or-later
#include "RowBlock.h"

#include "NumberText.h"
#include "OdbcText.h"
#include "Utf8Text.h"

#include "OdbcApi.h"
#include <algorithm>
#include <cstring>

namespace kestrelon {

namespace {

// Set before each fetch: a row the driver leaves untouched was not delivered.
constexpr SQLUSMALLINT notDelivered = SQL_ROW_NOROW;
// Set before each fetch in integer columns: a driver that leaves a cell's
// length unwritten has its cell read through it instead.
constexpr SQLLEN lengthUnwritten = -1000;

} // namespace

namespace {

// No early exit: the loop then compiles to a few vector instructions.
bool isAscii(std::string_view text)
{
    uchar bits = 0;
    for (const char c : text)
        bits |= uchar(c);
    return bits < 0x80;
}

} // namespace

namespace {

// The cell's text in single bytes; nothing when it holds more than ASCII,
// which spells no number.
std::optional<std::string> asciiOf(QStringView text)
{
    std::string ascii;
    ascii.reserve(size_t(text.size()));
    for (const QChar c : text) {
        if (c.unicode() > 0x7f)
            return std::nullopt;
        ascii.push_back(char(c.unicode()));
    }
    return ascii;
}

} // namespace

FieldValue numberCell(QStringView text)
{
    const auto ascii = asciiOf(text);
    return ascii ? numberCell(std::string_view(*ascii)) : FieldValue::text(text.toString());
}

FieldValue decimalCell(QStringView text)
{
    const auto ascii = asciiOf(text);
    return ascii ? decimalCell(std::string_view(*ascii)) : FieldValue::text(text.toString());
}

FieldValue decimalCell(std::string_view ascii)
{
    const auto number = parseNumber(ascii);
    if (!number)
        return FieldValue::text(QString::fromLatin1(ascii.data(), qsizetype(ascii.size())));
    if (number->isWhole)
        return FieldValue::whole(number->whole);
    if (!number->exact)
        return FieldValue::fractional(number->fractional);
    if (const auto whole = number->exact->toWhole())
        return FieldValue::whole(*whole);
    return FieldValue::text(QString::fromStdString(number->exact->text()));
}

FieldValue numberCell(std::string_view ascii)
{
    const auto number = parseNumber(ascii);
    if (!number)
        return FieldValue::text(QString::fromLatin1(ascii.data(), qsizetype(ascii.size())));
    if (number->isWhole)
        return FieldValue::whole(number->whole);
    // A whole number beyond 64 bits keeps its exact digits rather than the
    // nearest double, so that keys made from it stay apart.
    if (const auto digits = wholeDigits(ascii))
        return FieldValue::text(QString::fromLatin1(digits->data(), qsizetype(digits->size())));
    return FieldValue::fractional(number->fractional);
}

FieldValue valueOf(const RawCell &cell)
{
    const char *data = cell.bytes.data();
    const auto size = qsizetype(cell.bytes.size());
    switch (cell.form) {
    case RawCell::Form::Null:
        break;
    case RawCell::Form::Number:
        return numberCell(cell.bytes);
    case RawCell::Form::Decimal:
        return decimalCell(cell.bytes);
    case RawCell::Form::Integer: {
        SQLBIGINT number = 0;
        std::memcpy(&number, data, sizeof number);
        return FieldValue::whole(qint64(number));
    }
    case RawCell::Form::Ascii:
        return FieldValue::text(QString::fromLatin1(data, size));
    case RawCell::Form::Utf16:
        return FieldValue::text(odbc::fromWide(reinterpret_cast<const SQLWCHAR *>(data),
                                               size / qsizetype(sizeof(SQLWCHAR))));
    case RawCell::Form::Utf8:
        return FieldValue::text(textOfUtf8(QByteArrayView(data, size)));
    }
    return FieldValue::null();
}

RowBlock::RowBlock(SQLHSTMT statement, std::vector<ColumnKind> kinds, SQLULEN capacity,
                   TextForm textForm)
    : statement_(statement), capacity_(capacity), textForm_(textForm)
{
    columns_.reserve(kinds.size());
    for (const ColumnKind kind : kinds)
        columns_.push_back(Column{kind, false, false, 0, {}, {}});
    if (!SQL_SUCCEEDED(SQLSetStmtAttrW(statement_, SQL_ATTR_ROW_ARRAY_SIZE,
                                       reinterpret_cast<SQLPOINTER>(capacity_), 0)))
        capacity_ = 1;
    rowStatus_.assign(capacity_, notDelivered);
    SQLSetStmtAttrW(statement_, SQL_ATTR_ROW_STATUS_PTR, rowStatus_.data(), 0);
    SQLSetStmtAttrW(statement_, SQL_ATTR_ROWS_FETCHED_PTR, &rowCount_, 0);
}

bool RowBlock::bind(int column)
{
    return columns_[size_t(column)].bound || bindBuffers(column);
}

bool RowBlock::bindBuffers(int column)
{
    Column &c = columns_[size_t(column)];
    if (c.kind == ColumnKind::Text) {
        const SQLLEN units = c.cellBytes == 0
                                 ? initialTextUnits
                                 : qMin(2 * c.cellBytes / unitBytes(), largestTextUnits);
        c.cellBytes = units * unitBytes();
    } else {
        c.cellBytes = c.kind == ColumnKind::Integer ? SQLLEN(sizeof(SQLBIGINT)) : numberTextBytes;
    }
    c.data.assign(capacity_ * SQLULEN(c.cellBytes), 0);
    c.sizes.assign(capacity_, SQL_NULL_DATA);
    c.widen = false;
    const bool wide = c.kind == ColumnKind::Text && textForm_ == TextForm::Utf16;
    const SQLSMALLINT type = c.kind == ColumnKind::Integer ? SQL_C_SBIGINT
                             : wide                        ? SQL_C_WCHAR
                                                           : SQL_C_CHAR;
    c.bound = SQL_SUCCEEDED(SQLBindCol(statement_, SQLUSMALLINT(column + 1), type, c.data.data(),
                                       c.cellBytes, c.sizes.data()));
    return c.bound;
}

SQLRETURN RowBlock::fetch()
{
    for (size_t i = 0; i < columns_.size(); ++i) {
        Column &c = columns_[i];
        if (c.bound && c.widen)
            bindBuffers(int(i));
        if (c.bound && c.kind == ColumnKind::Integer)
            std::fill(c.sizes.begin(), c.sizes.end(), lengthUnwritten);
    }
    std::fill(rowStatus_.begin(), rowStatus_.end(), notDelivered);
    rowCount_ = 0;
    const SQLRETURN rc = SQLFetch(statement_);
    SQLULEN reported = rc == SQL_NO_DATA ? 0 : qMin(rowCount_, capacity_);
    if (SQL_SUCCEEDED(rc) && reported == 0 && capacity_ == 1)
        reported = 1; // a driver that does not count a single row
    // After a failed fetch only rows the driver marked delivered count; after
    // a good one, every row up to the first it marked failed.
    const bool failed = !SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA;
    SQLULEN usable = 0;
    while (usable < reported) {
        const SQLUSMALLINT status = rowStatus_[usable];
        const bool delivered = status == SQL_ROW_SUCCESS || status == SQL_ROW_SUCCESS_WITH_INFO;
        if (failed ? !delivered : status == SQL_ROW_ERROR)
            break;
        ++usable;
    }
    rowCount_ = usable;
    stopped_ = failed || usable < reported;
    return rc;
}

FieldValue RowBlock::value(int column, SQLULEN row, bool &whole)
{
    whole = true;
    if (const auto cell = raw(column, row))
        return valueOf(*cell);
    // The driver reads what is left: text cut short, for which later blocks
    // get more room, and single-byte text that is not UTF-8.
    whole = false;
    Column &c = columns_[size_t(column)];
    const SQLLEN size = c.sizes[row];
    if (c.kind == ColumnKind::Text && (size < 0 || size > c.cellBytes - unitBytes()))
        c.widen = c.cellBytes < largestTextUnits * unitBytes();
    return {};
}

std::optional<RawCell> RowBlock::raw(int column, SQLULEN row) const
{
    const Column &c = columns_[size_t(column)];
    const SQLLEN size = c.sizes[row];
    if (size == SQL_NULL_DATA)
        return RawCell{RawCell::Form::Null, {}};
    if (size < 0)
        return std::nullopt;
    const std::string_view bytes(c.data.data() + row * SQLULEN(c.cellBytes), size_t(size));
    if (c.kind == ColumnKind::Integer) {
        if (!isWhole(c, size))
            return std::nullopt;
        return RawCell{RawCell::Form::Integer, bytes};
    }
    if (c.kind != ColumnKind::Text) {
        if (size >= c.cellBytes || !isAscii(bytes))
            return std::nullopt;
        return RawCell{
            c.kind == ColumnKind::Decimal ? RawCell::Form::Decimal : RawCell::Form::Number, bytes};
    }
    if (size > c.cellBytes - unitBytes())
        return std::nullopt;
    if (textForm_ == TextForm::Utf16)
        return RawCell{RawCell::Form::Utf16, bytes};
    if (isAscii(bytes))
        return RawCell{RawCell::Form::Ascii, bytes};
    // Bytes that are not UTF-8 are left to the driver to read, so that a
    // cell reads the same whether it came in a block or on its own.
    if (!QByteArrayView(bytes.data(), qsizetype(bytes.size())).isValidUtf8())
        return std::nullopt;
    return RawCell{RawCell::Form::Utf8, bytes};
}

bool RowBlock::isOnlyRowWith(int column, SQLULEN row) const
{
    const Column &c = columns_[size_t(column)];
    const auto cell = [&](SQLULEN r) { return c.data.data() + r * SQLULEN(c.cellBytes); };
    const SQLLEN size = c.sizes[row];
    if (!isWhole(c, size))
        return false;
    for (SQLULEN other = 0; other < rowCount_; ++other) {
        if (other != row && c.sizes[other] == size &&
            std::memcmp(cell(other), cell(row), size_t(size)) == 0)
            return false;
    }
    return true;
}

bool RowBlock::isWhole(const Column &c, SQLLEN size)
{
    // A number or text cell that fills its buffer may have been cut short.
    return c.kind == ColumnKind::Integer ? size == c.cellBytes : size >= 0 && size < c.cellBytes;
}

} // namespace kestrelon
