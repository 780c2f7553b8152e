// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FieldValue.h"

#include "OdbcApi.h"
#include <optional>
#include <string_view>
#include <vector>

namespace kestrelon {

// What a column's declared type says its values are: numbers (whole, binary
// floating point, or exact decimals) or text. Number cells are read as text
// and take the kind their own text spells, except in a column of a signed
// 64-bit integer type (or a narrower one) whose database holds every value
// to that type: those are bound as such, which spares the driver and the
// program the digits.
enum class ColumnKind { Whole, Fractional, Text, Integer, Decimal };

// A cell of a number column, from the text the driver holds for it, read by
// the program's own number rule: a driver's own conversion may cut a value
// short (the SQLite driver turns 1.5 in an INTEGER column into 1, and "x"
// into Null), a declared type does not bind what SQLite stores, and a
// NUMERIC or DECIMAL id is a whole number that a double would round. Digits
// without a fraction or exponent stay a whole number, exact at any length;
// text that spells no number stays text.
FieldValue numberCell(QStringView text);
FieldValue numberCell(std::string_view ascii);

// A cell of a NUMERIC or DECIMAL column, from the driver's decimal text: its
// exact value, never rounded through a double. A whole value is a whole
// number (its digits in text beyond 64 bits), whatever zeros the column's
// scale adds after the point; a fraction keeps its exact digits, in text,
// without trailing zeros. Text that spells no number stays text.
FieldValue decimalCell(QStringView text);
FieldValue decimalCell(std::string_view ascii);

// A bound cell's bytes as the driver left them, in the form that says how
// they become a value. Only what turns into the very value a read of the
// cell gives is held so: text cut short is not, nor single-byte text that
// is not UTF-8.
struct RawCell
{
    // Utf8: single-byte text beyond ASCII, valid UTF-8. Decimal: the text of
    // an exact decimal number.
    enum class Form : quint8 { Null, Number, Ascii, Utf16, Integer, Utf8, Decimal };
    Form form;
    std::string_view bytes;
};

// The value the cell's bytes make.
FieldValue valueOf(const RawCell &cell);

// Buffers bound to the columns of a statement, column by column, that one
// fetch fills with a block of rows. Only the columns asked for are bound;
// text longer than its buffer is marked cut short, for the caller to read
// whole with SQLGetData.
class RowBlock
{
public:
    // How text cells are bound: as UTF-16, which every driver converts to,
    // or as the driver's single-byte text where that is known to be UTF-8
    // and so costs the driver no conversion.
    enum class TextForm { Utf16, Utf8 };

    // Text buffers start at this many UTF-16 units a cell and grow, for later
    // blocks, in a column whose values come cut short.
    static constexpr SQLLEN initialTextUnits = 128;
    static constexpr SQLLEN largestTextUnits = 4096;
    // Number cells hold their text too, in single bytes; a longer one, or
    // one with characters beyond ASCII, is read on its own.
    static constexpr SQLLEN numberTextBytes = 48;

    RowBlock(SQLHSTMT statement, std::vector<ColumnKind> kinds, SQLULEN capacity,
             TextForm textForm = TextForm::Utf16);
    RowBlock(const RowBlock &) = delete;
    RowBlock &operator=(const RowBlock &) = delete;

    SQLULEN capacity() const { return capacity_; }
    // Binds the column from the next fetch on; false when the driver refuses.
    bool bind(int column);
    bool isBound(int column) const { return columns_[size_t(column)].bound; }

    // Fetches the next block and returns the driver's answer. rowCount()
    // tells how many rows arrived whole: when the driver failed on a row,
    // the rows before it, and stoppedByFailure() is true.
    SQLRETURN fetch();
    SQLULEN rowCount() const { return rowCount_; }
    bool stoppedByFailure() const { return stopped_; }

    // The value of a bound cell; false in `whole` when the text was cut short.
    FieldValue value(int column, SQLULEN row, bool &whole);
    // The bytes of a bound cell, valid until the next fetch; nothing when
    // only value() can read it.
    std::optional<RawCell> raw(int column, SQLULEN row) const;

    // Whether no other row of the block holds the same bytes in this bound
    // column, so that the row is the one a read of that value came from.
    bool isOnlyRowWith(int column, SQLULEN row) const;

private:
    struct Column
    {
        ColumnKind kind;
        bool bound = false;
        bool widen = false;        // rebind with larger text cells before the next fetch
        SQLLEN cellBytes = 0;      // bytes a cell takes in `data`
        std::vector<char> data;    // capacity cells
        std::vector<SQLLEN> sizes; // length indicators, one per cell
    };

    bool bindBuffers(int column);
    // Whether the driver left the cell's bytes whole in its buffer.
    static bool isWhole(const Column &c, SQLLEN size);
    // The bytes of one unit of bound text, the terminating zero's too.
    SQLLEN unitBytes() const { return textForm_ == TextForm::Utf8 ? 1 : SQLLEN(sizeof(SQLWCHAR)); }

    SQLHSTMT statement_;
    SQLULEN capacity_;
    TextForm textForm_;
    std::vector<Column> columns_;
    SQLULEN rowCount_ = 0;
    bool stopped_ = false;
    std::vector<SQLUSMALLINT> rowStatus_;
};

} // namespace kestrelon
