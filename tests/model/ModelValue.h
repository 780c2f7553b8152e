// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include <vector>

// The rules for values that the random vocabulary test expects, written
// apart from the program's own: a cell as a user reads it, its text form,
// and how values compare and subtract.
namespace model {

// An exact decimal: unscaled digits, least significant first, and how many
// of them stand after the point.
class Decimal
{
public:
    static Decimal ofInteger(qint64 n);
    // The exact value of an integral double.
    static Decimal ofIntegralDouble(double d);
    // "[+-]digits[.digits][eE[+-]digits]", already known to have that shape.
    static Decimal ofShape(const QString &text);

    bool isInteger() const;
    double nearestDouble() const;
    // Plain digits: no exponent, no leading or trailing zeros, no "-0".
    QString text() const;
    Decimal minus(const Decimal &other) const;
    bool operator==(const Decimal &other) const { return text() == other.text(); }

private:
    bool negative_ = false;
    std::vector<int> digits_; // empty for zero
    int scale_ = 0;
};

// A cell as the program should take it.
struct Value
{
    enum class Kind { Null, Text, Exact, Binary };
    Kind kind = Kind::Null;
    QString text;
    Decimal exact;
    double binary = 0;

    static Value null() { return {}; }
    static Value ofText(const QString &t) { return {Kind::Text, t, {}, 0}; }
    static Value ofExact(const Decimal &d) { return {Kind::Exact, {}, d, 0}; }
    static Value ofBinary(double d) { return {Kind::Binary, {}, {}, d}; }

    bool isNull() const { return kind == Kind::Null; }
    // The characters the value adds to a concatenation.
    QString shown() const;
    // As a warning lists a row's name or id.
    QString listed() const { return isNull() ? QStringLiteral("Null") : shown(); }
};

// How a driver describes a column: as characters (or anything but a
// number), as binary or integer numbers, or as exact decimals.
enum class ColumnClass { Characters, Number, Decimal };
ColumnClass classOfSqlType(int sqlType);

// A cell read as text from a column of this class.
Value cellValue(const std::optional<QString> &cell, ColumnClass column);

// A number that text spells: spaces around it allowed, ASCII only.
std::optional<Decimal> spelledNumber(const QString &text);

// Raised where the program must report a value that is not a number.
struct NotANumber
{
    QString text;
};

// a - b: Null with a Null; exact unless a binary number takes part.
Value minus(const Value &a, const Value &b);
// Equality as a condition: never with a Null; texts by their characters,
// anything else by its number.
bool equal(const Value &a, const Value &b);
bool equalsInteger(const Value &v, qint64 n);
// Whether a level spells no number (Null does not count).
bool notANumber(const Value &level);

QString trimmedSpaces(const QString &text);

} // namespace model
