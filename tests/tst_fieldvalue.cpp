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
        QTest::newRow("huge") << fractional(1e300) << "1e+300";
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
        QTest::newRow("overflow leaves whole numbers")
            << whole(std::numeric_limits<qint64>::min()) << whole(1)
            << fractional(-9223372036854775809.0);
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
        QTest::newRow("long fraction")
            << "9007199254740993.5" << Fractional << "9.007199254740994e+15";
        QTest::newRow("exponent") << "1e20" << Fractional << "1e+20";
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
};

QTEST_APPLESS_MAIN(FieldValueTest)
#include "tst_fieldvalue.moc"
