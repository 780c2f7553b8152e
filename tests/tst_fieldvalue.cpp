// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/Error.h"
#include "data/FieldValue.h"
#include "data/NumberText.h"
#include "data/RowBlock.h"

#include <QTest>

using namespace kestrelon;

Q_DECLARE_METATYPE(kestrelon::FieldValue)
Q_DECLARE_METATYPE(kestrelon::Truth)
Q_DECLARE_METATYPE(kestrelon::FieldValue::Kind)

namespace {

FieldValue text(const char *s)
{
    return FieldValue::text(QString::fromUtf8(s));
}
FieldValue whole(qint64 n)
{
    return FieldValue::whole(n);
}
FieldValue fractional(double d)
{
    return FieldValue::fractional(d);
}
const FieldValue null = FieldValue::null();
const FieldValue empty;

} // namespace

class FieldValueTest : public QObject
{
    Q_OBJECT

private slots:
    void textForm_data()
    {
        QTest::addColumn<FieldValue>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("null") << null << "";
        QTest::newRow("empty") << empty << "";
        QTest::newRow("negative whole") << whole(-42) << "-42";
        QTest::newRow("largest whole")
            << whole(std::numeric_limits<qint64>::max()) << "9223372036854775807";
        QTest::newRow("whole-valued fractional") << fractional(145.0) << "145";
        QTest::newRow("small fraction") << fractional(0.0117) << "0.0117";
        QTest::newRow("shortest round trip") << fractional(251.902) << "251.902";
        QTest::newRow("one third") << fractional(1.0 / 3) << "0.3333333333333333";
        QTest::newRow("negative zero") << fractional(-0.0) << "0";
        // A whole double prints as its exact value, digit for digit.
        QTest::newRow("1e15") << fractional(1e15) << "1000000000000000";
        QTest::newRow("1e20") << fractional(1e20) << "100000000000000000000";
        QTest::newRow("2.5e17") << fractional(2.5e17) << "250000000000000000";
        QTest::newRow("negative 2^70") << fractional(-0x1p70) << "-1180591620717411303424";
        QTest::newRow("1e23 as stored") << fractional(1e23) << "99999999999999991611392";
        QTest::newRow("huge") << fractional(1e300)
                              << "1000000000000000052504760255204420248704468581108159154915854115"
                                 "511802457988908195786371375080447864043704443832883878176942523"
                                 "235360430575644792184786706982848387200926575803737830233794788"
                                 "090059368953234970799945081119038967640880074652742780142494579"
                                 "258788820056842838115669472196386865459400540160";
        QTest::newRow("fraction past 1e15") << fractional(1e15 + 0.5) << "1000000000000000.5";
        QTest::newRow("tiny") << fractional(4.2e-9) << "4.2e-09";
        QTest::newRow("text unchanged") << text("  granite ") << "  granite ";
    }
    void textForm()
    {
        QFETCH(FieldValue, value);
        QFETCH(QString, expected);
        QCOMPARE(value.toText(), expected);
    }

    // A value refilled with new text, as rows are read one after another
    // into the same fields, takes the new text; copies of it made before
    // keep the old one.
    void assignedText_data()
    {
        QTest::addColumn<FieldValue>("before");
        QTest::addColumn<QString>("assigned");
        QTest::addColumn<bool>("asLatin1");
        QTest::newRow("longer text") << text("granite") << "basaltic andesite" << false;
        QTest::newRow("shorter text") << text("basaltic andesite") << "tuff" << false;
        QTest::newRow("longer Latin-1") << text("gr\u00e8s") << "gr\u00e8s argileux" << true;
        QTest::newRow("shorter Latin-1") << text("gr\u00e8s argileux") << "tuff" << true;
        QTest::newRow("after a number") << whole(12) << "twelve" << false;
        QTest::newRow("after Null") << null << "" << true;
        QTest::newRow("marks kept") << text("x") << QString(QChar(0xFEFF)) + "y" << false;
    }
    void assignedText()
    {
        QFETCH(FieldValue, before);
        QFETCH(QString, assigned);
        QFETCH(bool, asLatin1);
        FieldValue value = before;
        const FieldValue copy = value; // shares the text, as a kept value does
        for (int round = 0; round < 2; ++round) {
            const QByteArray latin1 = assigned.toLatin1();
            if (asLatin1)
                value.assignText(QLatin1StringView(latin1));
            else
                value.assignText(QStringView(assigned));
            QCOMPARE(value, FieldValue::text(assigned));
            QCOMPARE(copy, before);
        }
    }

    void concatenation_data()
    {
        QTest::addColumn<FieldValue>("a");
        QTest::addColumn<FieldValue>("b");
        QTest::addColumn<FieldValue>("expected");
        QTest::newRow("name and id") << text("granite") << whole(12) << text("granite12");
        QTest::newRow("null name and id") << null << whole(7) << text("7");
        QTest::newRow("name and null id") << text("basalt") << null << text("basalt");
        QTest::newRow("both null") << null << null << null;
        QTest::newRow("empty tag after text") << text("Level: ") << empty << text("Level: ");
        QTest::newRow("empty and null") << empty << null << text("");
        QTest::newRow("fractional") << text("Minimum Age (mya): ") << fractional(0.0042)
                                    << text("Minimum Age (mya): 0.0042");
    }
    void concatenation()
    {
        QFETCH(FieldValue, a);
        QFETCH(FieldValue, b);
        QFETCH(FieldValue, expected);
        QCOMPARE(concat(a, b), expected);
    }

    void equality_data()
    {
        QTest::addColumn<FieldValue>("a");
        QTest::addColumn<FieldValue>("b");
        QTest::addColumn<Truth>("expected");
        QTest::newRow("whole equals whole") << whole(1) << whole(1) << Truth::True;
        QTest::newRow("whole equals fractional") << whole(1) << fractional(1.0) << Truth::True;
        QTest::newRow("fraction is not whole") << fractional(1.5) << whole(1) << Truth::False;
        QTest::newRow("2^53+1 is not its double")
            << whole(9007199254740993) << fractional(9007199254740992.0) << Truth::False;
        QTest::newRow("text spells the number") << text("1") << whole(1) << Truth::True;
        QTest::newRow("spaces around a number") << text(" 2 ") << whole(2) << Truth::True;
        QTest::newRow("text spells a fraction") << text("1.0") << whole(1) << Truth::True;
        QTest::newRow("text spells no number") << text("x") << whole(1) << Truth::False;
        QTest::newRow("decimal text against a whole number past 64 bits")
            << text("9223372036854775809") << fractional(9223372036854775808.0) << Truth::False;
        QTest::newRow("decimal text reads as a double against one")
            << text("0.1") << fractional(0.1) << Truth::True;
        QTest::newRow("decimal text against decimal digits")
            << text("2.50") << FieldValue::text("2.5") << Truth::False;
        QTest::newRow("tab is not a space") << text("\t1") << whole(1) << Truth::False;
        QTest::newRow("same text") << text("Granite") << text("Granite") << Truth::True;
        QTest::newRow("case differs") << text("granite") << text("Granite") << Truth::False;
        QTest::newRow("trailing space differs")
            << text("granite ") << text("granite") << Truth::False;
        QTest::newRow("number text against text") << text("1") << text("1.0") << Truth::False;
        QTest::newRow("empty equals empty text") << empty << text("") << Truth::True;
        QTest::newRow("null left") << null << whole(1) << Truth::Null;
        QTest::newRow("null right") << text("a") << null << Truth::Null;
        QTest::newRow("null both") << null << null << Truth::Null;
    }
    void equality()
    {
        QFETCH(FieldValue, a);
        QFETCH(FieldValue, b);
        QFETCH(Truth, expected);
        QCOMPARE(equalsValue(a, b), expected);
        QCOMPARE(equalsValue(b, a), expected);
        QCOMPARE(equals(a, b), expected == Truth::True);
    }

    void subtraction_data()
    {
        QTest::addColumn<FieldValue>("a");
        QTest::addColumn<FieldValue>("b");
        QTest::addColumn<FieldValue>("expected");
        QTest::newRow("wholes") << whole(3) << whole(2) << whole(1);
        QTest::newRow("fractional") << fractional(2.5) << whole(1) << fractional(1.5);
        QTest::newRow("text operand") << text(" 250") << whole(200) << whole(50);
        QTest::newRow("null left") << null << whole(1) << null;
        QTest::newRow("null right") << whole(1) << null << null;
        QTest::newRow("null beats bad text") << text("x") << null << null;
        QTest::newRow("overflow keeps every digit") << whole(std::numeric_limits<qint64>::min())
                                                    << whole(1) << text("-9223372036854775809");
        // Decimal fractions subtract exactly; in binary 2.7 - 1.7 is not 1.
        QTest::newRow("decimal texts") << text("2.7") << text("1.7") << whole(1);
        QTest::newRow("decimal text and whole") << text("250.5") << whole(200) << text("50.5");
        QTest::newRow("past 64 bits")
            << text("100000000000000000001") << text("1.000000") << text("100000000000000000000");
        QTest::newRow("a tiny decimal difference is no whole number")
            << text("101.000000000000000000001") << whole(1) << text("100.000000000000000000001");
        QTest::newRow("doubles stay doubles")
            << fractional(2.7) << text("1.7") << fractional(2.7 - 1.7);
    }
    void subtraction()
    {
        QFETCH(FieldValue, a);
        QFETCH(FieldValue, b);
        QFETCH(FieldValue, expected);
        QCOMPARE(subtract(a, b), expected);
    }

    void subtractionOfTextThatSpellsNoNumber_data()
    {
        QTest::addColumn<FieldValue>("a");
        QTest::addColumn<FieldValue>("b");
        QTest::newRow("word") << text("x") << whole(1);
        QTest::newRow("empty text") << whole(1) << text("");
        QTest::newRow("empty value") << empty << whole(1);
        QTest::newRow("two numbers") << text("1 2") << whole(1);
    }
    void subtractionOfTextThatSpellsNoNumber()
    {
        QFETCH(FieldValue, a);
        QFETCH(FieldValue, b);
        try {
            subtract(a, b);
            QFAIL("no error raised");
        } catch (const Error &error) {
            QCOMPARE(error.number(), int(TypeMismatch));
        }
    }

    void threeValuedOr_data()
    {
        QTest::addColumn<Truth>("a");
        QTest::addColumn<Truth>("b");
        QTest::addColumn<Truth>("expected");
        QTest::newRow("true wins over null") << Truth::Null << Truth::True << Truth::True;
        QTest::newRow("null over false") << Truth::False << Truth::Null << Truth::Null;
        QTest::newRow("false") << Truth::False << Truth::False << Truth::False;
    }
    void threeValuedOr()
    {
        QFETCH(Truth, a);
        QFETCH(Truth, b);
        QFETCH(Truth, expected);
        QCOMPARE(orOf(a, b), expected);
        QCOMPARE(orOf(b, a), expected);
        QCOMPARE(condition(expected), expected == Truth::True);
    }

    void trimming_data()
    {
        QTest::addColumn<FieldValue>("value");
        QTest::addColumn<FieldValue>("expected");
        QTest::newRow("spaces") << text("  granite  ") << text("granite");
        QTest::newRow("tabs stay") << text("\tgranite\t") << text("\tgranite\t");
        QTest::newRow("inner spaces stay") << text(" fine sand ") << text("fine sand");
        QTest::newRow("only spaces") << text("   ") << text("");
        QTest::newRow("null stays null") << null << null;
        QTest::newRow("number as text") << whole(12) << text("12");
    }
    void trimming()
    {
        QFETCH(FieldValue, value);
        QFETCH(FieldValue, expected);
        QCOMPARE(trim(value), expected);
    }

    void leftOfText()
    {
        QCOMPARE(left(QStringLiteral("Lithology Version 6\\Igneous"), 19),
                 QStringLiteral("Lithology Version 6"));
        QCOMPARE(left(QStringLiteral("Strat"), 19), QStringLiteral("Strat"));
    }

    void numbersInText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("spells");
        QTest::addColumn<double>("value");
        QTest::newRow("plus sign") << "+5" << true << 5.0;
        QTest::newRow("exponent") << "1e3" << true << 1000.0;
        QTest::newRow("leading point") << ".5" << true << 0.5;
        QTest::newRow("trailing point") << "5." << true << 5.0;
        QTest::newRow("beyond 64 bits") << "99999999999999999999" << true << 1e20;
        QTest::newRow("lone sign") << "-" << false << 0.0;
        QTest::newRow("hex") << "0x10" << false << 0.0;
        QTest::newRow("comma") << "1,5" << false << 0.0;
        QTest::newRow("out of range") << "1e999" << false << 0.0;
        QTest::newRow("arabic digits") << QString::fromUtf8("\u0661") << false << 0.0;
    }
    void numbersInText()
    {
        QFETCH(QString, text);
        QFETCH(bool, spells);
        QFETCH(double, value);
        const auto number = parseNumber(text);
        QCOMPARE(number.has_value(), spells);
        if (spells)
            QCOMPARE(number->toDouble(), value);
    }

    // Cells of number columns, whatever their declared type: digits alone
    // are a whole number, exact at any length; anything else keeps today's
    // reading.
    void numberCells_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<FieldValue::Kind>("kind");
        QTest::addColumn<QString>("textForm");
        const auto Whole = FieldValue::Kind::Whole;
        const auto Fractional = FieldValue::Kind::Fractional;
        const auto Text = FieldValue::Kind::Text;
        QTest::newRow("past 2^53") << "9007199254740993" << Whole << "9007199254740993";
        QTest::newRow("2^53") << "9007199254740992" << Whole << "9007199254740992";
        QTest::newRow("64-bit minimum")
            << "-9223372036854775808" << Whole << "-9223372036854775808";
        QTest::newRow("30 digits")
            << "123456789012345678901234567890" << Text << "123456789012345678901234567890";
        QTest::newRow("sign, zeros and spaces beyond 64 bits")
            << " +00099999999999999999999 " << Text << "99999999999999999999";
        QTest::newRow("negative beyond 64 bits")
            << "-9223372036854775809" << Text << "-9223372036854775809";
        QTest::newRow("scaled whole") << "5.00" << Fractional << "5";
        QTest::newRow("fraction") << "1.50" << Fractional << "1.5";
        QTest::newRow("long fraction") << "9007199254740993.5" << Fractional << "9007199254740994";
        QTest::newRow("exponent") << "1e20" << Fractional << "100000000000000000000";
        QTest::newRow("exponent, as the drivers write it")
            << "2.5e+17" << Fractional << "250000000000000000";
        QTest::newRow("comma") << "1,0" << Text << "1,0";
        QTest::newRow("not a number") << "NaN" << Text << "NaN";
        QTest::newRow("full-width digit")
            << QString::fromUtf8("\uFF11") << Text << QString::fromUtf8("\uFF11");
    }
    void numberCells()
    {
        QFETCH(QString, cell);
        QFETCH(FieldValue::Kind, kind);
        QFETCH(QString, textForm);
        QList<FieldValue> values{numberCell(QStringView(cell))};
        const std::string bytes = cell.toStdString();
        if (bytes.size() == size_t(cell.size())) // the bound buffers hold ASCII only
            values << numberCell(std::string_view(bytes));
        for (const FieldValue &value : values) {
            QCOMPARE(value.kind(), kind);
            QCOMPARE(value.toText(), textForm);
        }
    }

    // Cells of NUMERIC and DECIMAL columns as the drivers hand them over,
    // padded to the column's scale: exact, and without the padding.
    void decimalCells_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<FieldValue>("value");
        QTest::newRow("scaled 2^53+1") << "9007199254740993.000000" << whole(9007199254740993);
        QTest::newRow("unscaled 2^53+1") << "9007199254740993" << whole(9007199254740993);
        QTest::newRow("scaled past 64 bits")
            << "123456789012345678901234567890.000000" << text("123456789012345678901234567890");
        QTest::newRow("a half") << "12.500000" << text("12.5");
        QTest::newRow("past a double's digits")
            << "9007199254740993.250000" << text("9007199254740993.25");
        QTest::newRow("negative fraction") << "-0.000001" << text("-0.000001");
        QTest::newRow("zero, scaled") << "0.00" << whole(0);
        QTest::newRow("negative zero") << "-0.000" << whole(0);
        QTest::newRow("not a number") << "NaN" << text("NaN");
    }
    void decimalCells()
    {
        QFETCH(QString, cell);
        QFETCH(FieldValue, value);
        QCOMPARE(decimalCell(QStringView(cell)), value);
        const std::string bytes = cell.toStdString();
        QCOMPARE(decimalCell(std::string_view(bytes)), value);
    }
};

QTEST_APPLESS_MAIN(FieldValueTest)
#include "tst_fieldvalue.moc"
