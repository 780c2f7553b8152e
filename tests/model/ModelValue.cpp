// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModelValue.h"

#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <limits>
#include <sqlext.h>

namespace model {

namespace {

using Digits = std::vector<int>; // least significant first

void dropHighZeros(Digits &d)
{
    while (!d.empty() && d.back() == 0)
        d.pop_back();
}

int compareMagnitude(Digits a, Digits b)
{
    dropHighZeros(a);
    dropHighZeros(b);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (size_t i = a.size(); i-- > 0;)
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    return 0;
}

Digits add(const Digits &a, const Digits &b)
{
    Digits sum;
    int carry = 0;
    for (size_t i = 0; i < std::max(a.size(), b.size()) || carry; ++i) {
        const int s = (i < a.size() ? a[i] : 0) + (i < b.size() ? b[i] : 0) + carry;
        sum.push_back(s % 10);
        carry = s / 10;
    }
    return sum;
}

// a - b for |a| >= |b|.
Digits subtract(const Digits &a, const Digits &b)
{
    Digits difference;
    int borrow = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        int s = a[i] - (i < b.size() ? b[i] : 0) - borrow;
        borrow = s < 0;
        difference.push_back(s + 10 * borrow);
    }
    return difference;
}

double nearest(const QByteArray &text)
{
    double d = 0;
    const auto result = std::from_chars(text.constData(), text.constData() + text.size(), d);
    if (result.ec == std::errc::result_out_of_range)
        return std::numeric_limits<double>::infinity();
    return d;
}

// The shortest decimal digits that read back as d, and the power of ten of
// the first of them.
void shortestDigits(double d, QString &digits, int &exponent)
{
    for (int precision = 1; precision <= 17; ++precision) {
        const QByteArray e = QByteArray::number(d, 'e', precision - 1);
        if (e.toDouble() != d && precision < 17)
            continue;
        const qsizetype at = e.indexOf('e');
        digits = QString::fromLatin1(e.left(at)).remove(u'-').remove(u'.');
        exponent = e.mid(at + 1).toInt();
        while (digits.size() > 1 && digits.endsWith(u'0'))
            digits.chop(1);
        return;
    }
}

QString binaryText(double d)
{
    if (std::isnan(d))
        return QStringLiteral("NaN");
    if (std::isinf(d))
        return d > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (d == 0)
        return QStringLiteral("0");
    if (std::trunc(d) == d)
        return Decimal::ofIntegralDouble(d).text();
    QString digits;
    int exponent = 0;
    shortestDigits(d, digits, exponent);
    const QString sign = d < 0 ? QStringLiteral("-") : QString();
    if (std::fabs(d) < 1e-5) {
        const QString mantissa =
            digits.size() == 1 ? digits : digits.left(1) + u'.' + digits.mid(1);
        return sign + mantissa + QStringLiteral("e-%1").arg(-exponent, 2, 10, QChar(u'0'));
    }
    if (exponent < 0)
        return sign + QStringLiteral("0.") + QString(-exponent - 1, u'0') + digits;
    if (digits.size() <= exponent + 1)
        return sign + digits + QString(exponent + 1 - digits.size(), u'0');
    return sign + digits.left(exponent + 1) + u'.' + digits.mid(exponent + 1);
}

std::optional<Decimal> numberOf(const Value &v)
{
    if (v.kind == Value::Kind::Exact)
        return v.exact;
    if (v.kind == Value::Kind::Text)
        return spelledNumber(v.text);
    return std::nullopt;
}

double doubleOf(const Value &v)
{
    return v.kind == Value::Kind::Binary ? v.binary : numberOf(v)->nearestDouble();
}

} // namespace

Decimal Decimal::ofInteger(qint64 n)
{
    return ofShape(QString::number(n));
}

Decimal Decimal::ofIntegralDouble(double d)
{
    return ofShape(QString::asprintf("%.0f", d));
}

Decimal Decimal::ofShape(const QString &text)
{
    Decimal number;
    number.negative_ = text.startsWith(u'-');
    const qsizetype e = text.indexOf(u'e', 0, Qt::CaseInsensitive);
    const QString mantissa = e < 0 ? text : text.left(e);
    const long long exponent = e < 0 ? 0 : text.mid(e + 1).toLongLong();
    const qsizetype point = mantissa.indexOf(u'.');
    const int fraction = point < 0 ? 0 : int(mantissa.size() - point - 1);
    for (qsizetype i = mantissa.size(); i-- > 0;) {
        const QChar c = mantissa.at(i);
        if (c.isDigit())
            number.digits_.push_back(c.digitValue());
    }
    const long long shift = exponent - fraction;
    if (shift >= 0) {
        number.digits_.insert(number.digits_.begin(), size_t(shift), 0);
        number.scale_ = 0;
    } else {
        number.scale_ = int(-shift);
    }
    dropHighZeros(number.digits_);
    while (number.scale_ > 0 && !number.digits_.empty() && number.digits_.front() == 0) {
        number.digits_.erase(number.digits_.begin());
        --number.scale_;
    }
    if (number.digits_.empty()) {
        number.negative_ = false;
        number.scale_ = 0;
    }
    return number;
}

bool Decimal::isInteger() const
{
    return scale_ == 0;
}

double Decimal::nearestDouble() const
{
    return nearest(text().toLatin1());
}

QString Decimal::text() const
{
    if (digits_.empty())
        return QStringLiteral("0");
    QString all;
    for (size_t i = digits_.size(); i-- > 0;)
        all += QChar(u'0' + digits_[i]);
    if (scale_ > 0) {
        if (all.size() <= scale_)
            all.prepend(QString(scale_ + 1 - all.size(), u'0'));
        all.insert(all.size() - scale_, u'.');
    }
    return negative_ ? u'-' + all : all;
}

Decimal Decimal::minus(const Decimal &other) const
{
    const int scale = std::max(scale_, other.scale_);
    Digits a = digits_, b = other.digits_;
    a.insert(a.begin(), size_t(scale - scale_), 0);
    b.insert(b.begin(), size_t(scale - other.scale_), 0);
    const bool bNegative = !other.negative_;
    Decimal result;
    result.scale_ = scale;
    if (negative_ == bNegative) {
        result.digits_ = add(a, b);
        result.negative_ = negative_;
    } else if (compareMagnitude(a, b) >= 0) {
        result.digits_ = subtract(a, b);
        result.negative_ = negative_;
    } else {
        result.digits_ = subtract(b, a);
        result.negative_ = bNegative;
    }
    return ofShape(result.text());
}

QString Value::shown() const
{
    switch (kind) {
    case Kind::Null:
        return {};
    case Kind::Text:
        return text;
    case Kind::Exact:
        return exact.text();
    case Kind::Binary:
        return binaryText(binary);
    }
    return {};
}

ColumnClass classOfSqlType(int sqlType)
{
    switch (sqlType) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
    case SQL_BIT:
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return ColumnClass::Number;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        return ColumnClass::Decimal;
    default:
        return ColumnClass::Characters;
    }
}

Value cellValue(const std::optional<QString> &cell, ColumnClass column)
{
    if (!cell)
        return Value::null();
    if (column == ColumnClass::Characters)
        return Value::ofText(*cell);
    const std::optional<Decimal> number = spelledNumber(*cell);
    if (!number)
        return Value::ofText(*cell);
    const QString trimmed = trimmedSpaces(*cell);
    const bool plainInteger =
        !trimmed.contains(u'.') && !trimmed.contains(u'e', Qt::CaseInsensitive);
    if (column == ColumnClass::Decimal || plainInteger)
        return Value::ofExact(*number);
    return Value::ofBinary(nearest(trimmed.toLatin1()));
}

std::optional<Decimal> spelledNumber(const QString &text)
{
    static const QRegularExpression shape(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    if (text.size() > 400)
        return std::nullopt;
    const QString trimmed = trimmedSpaces(text);
    if (!shape.match(trimmed).hasMatch())
        return std::nullopt;
    const QByteArray ascii = trimmed.toLatin1();
    bool fitsInteger = false;
    ascii.toLongLong(&fitsInteger);
    const bool plainInteger =
        !trimmed.contains(u'.') && !trimmed.contains(u'e', Qt::CaseInsensitive);
    if (!(plainInteger && fitsInteger)) {
        // Beyond a double's range (either way) the text spells no number.
        const QByteArray unsigned_ = ascii.startsWith('+') ? ascii.mid(1) : ascii;
        double d = 0;
        const auto result =
            std::from_chars(unsigned_.constData(), unsigned_.constData() + unsigned_.size(), d);
        if (result.ec != std::errc())
            return std::nullopt;
    }
    return Decimal::ofShape(trimmed.startsWith(u'+') ? trimmed.mid(1) : trimmed);
}

Value minus(const Value &a, const Value &b)
{
    if (a.isNull() || b.isNull())
        return Value::null();
    const bool aNumber = a.kind == Value::Kind::Binary || numberOf(a);
    const bool bNumber = b.kind == Value::Kind::Binary || numberOf(b);
    if (!aNumber)
        throw NotANumber{a.shown()};
    if (!bNumber)
        throw NotANumber{b.shown()};
    if (a.kind != Value::Kind::Binary && b.kind != Value::Kind::Binary)
        return Value::ofExact(numberOf(a)->minus(*numberOf(b)));
    return Value::ofBinary(doubleOf(a) - doubleOf(b));
}

bool equal(const Value &a, const Value &b)
{
    if (a.isNull() || b.isNull())
        return false;
    if (a.kind == Value::Kind::Text && b.kind == Value::Kind::Text)
        return a.text == b.text;
    const bool aBinary = a.kind == Value::Kind::Binary;
    const bool bBinary = b.kind == Value::Kind::Binary;
    if ((!aBinary && !numberOf(a)) || (!bBinary && !numberOf(b)))
        return false;
    if (!aBinary && !bBinary)
        return *numberOf(a) == *numberOf(b);
    if (aBinary && bBinary)
        return a.binary == b.binary;
    const double binary = aBinary ? a.binary : b.binary;
    const Decimal exact = *numberOf(aBinary ? b : a);
    if (!std::isfinite(binary))
        return false;
    if (std::trunc(binary) == binary && exact.isInteger())
        return Decimal::ofIntegralDouble(binary) == exact;
    return exact.nearestDouble() == binary;
}

bool equalsInteger(const Value &v, qint64 n)
{
    return equal(v, Value::ofExact(Decimal::ofInteger(n)));
}

bool notANumber(const Value &level)
{
    switch (level.kind) {
    case Value::Kind::Null:
    case Value::Kind::Exact:
        return false;
    case Value::Kind::Binary:
        return std::isnan(level.binary);
    case Value::Kind::Text:
        return !spelledNumber(level.text);
    }
    return false;
}

QString trimmedSpaces(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

} // namespace model
