// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/BoxCatcher.h"
#include "support/DataSources.h"
#include "support/FormProbe.h"
#include "support/ShownTexts.h"
#include "support/SqliteFile.h"

#include <QRegularExpression>
#include <QTest>

using namespace kestrelon;
using namespace testsupport;

namespace {

// One press of "Define" on the node with this key, and what the window then
// shows. An empty `error` means no box may open; otherwise one critical box
// whose text contains it.
struct Press
{
    QString key;
    QString description;
    QString level;
    QString error = {};
};

} // namespace

using Rows = QList<QVariantList>;
using Presses = QList<Press>;
Q_DECLARE_METATYPE(Press)
Q_DECLARE_METATYPE(Presses)

namespace {

const QVariant Null;

// A row of "QryLithParent" in its usual column order.
QVariantList lith(const QVariant &name, const QVariant &parent, const QVariant &level,
                  const QVariant &id, const QVariant &parentId, const QVariant &parentLevel,
                  const QVariant &description)
{
    return {name, parent, level, id, parentId, parentLevel, description};
}

// A first-level term.
QVariantList top(const QVariant &name, const QVariant &id, const QVariant &description = "")
{
    return lith(name, Null, 1, id, Null, Null, description);
}

// A term one level below its parent.
QVariantList child(const QVariant &name, const QVariant &id, const QVariant &parent,
                   const QVariant &parentId, int level, const QVariant &description = "")
{
    return lith(name, parent, level, id, parentId, level - 1, description);
}

QStringList lithology(const Rows &rows, const QStringList &columns = sqlite::lithologyColumns())
{
    return sqlite::rowSet(QStringLiteral("QryLithParent"), columns, rows);
}

QStringList stratigraphy(const Rows &rows,
                         const QStringList &columns = sqlite::stratigraphyColumns())
{
    return sqlite::rowSet(QStringLiteral("QryStratParent"), columns, rows);
}

// The usual columns with some declarations replaced, e.g. {"Lith_level TEXT"}.
QStringList lithologyColumnsWith(const QStringList &declarations)
{
    QStringList columns = sqlite::lithologyColumns();
    for (const QString &declaration : declarations) {
        const QString name = declaration.section(u' ', 0, 0);
        for (QString &column : columns)
            if (column.section(u' ', 0, 0) == name)
                column = declaration;
    }
    return columns;
}

// Rows made by SQLite itself, for shapes too large to list: `columns` are
// the seven values for each i from 1 to n.
QStringList generatedLithology(int n, const QString &columns)
{
    return lithology({}) << QStringLiteral("INSERT INTO QryLithParent_rows "
                                           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                                           "SELECT i + 1 FROM n WHERE i < %1) SELECT %2 FROM n")
                                .arg(n)
                                .arg(columns);
}

// The outline of every top-level node, joined by " | ".
QString treeOutline(const FormProbe &probe)
{
    QStringList roots;
    for (int row = 0; row < probe.tree->rowCount(); ++row)
        roots << outline(*probe.tree, probe.tree->nodeAt(probe.tree->index(row, 0)));
    return roots.join(QStringLiteral(" | "));
}

// How many rows the warning says were left out, over all hierarchies.
int skippedCountIn(const QString &warning)
{
    int count = 0;
    static const QRegularExpression header(QStringLiteral("^(\\d+) rows? of \""),
                                           QRegularExpression::MultilineOption);
    for (auto match = header.globalMatch(warning); match.hasNext();)
        count += match.next().captured(1).toInt();
    return count;
}

QList<ShownBox> boxesWith(const QList<ShownBox> &boxes, QMessageBox::Icon icon, qsizetype from = 0)
{
    QList<ShownBox> found;
    for (qsizetype i = from; i < boxes.size(); ++i)
        if (boxes.at(i).icon == icon)
            found << boxes.at(i);
    return found;
}

} // namespace

// The whole program, window and all, on data sources that other people
// filled: every good row shows, every row left out is named, "Define" shows
// the row's own values, and nothing is written to the file.
class HostileDataTest : public QObject
{
    Q_OBJECT

private:
    void addColumns()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QString>("tree");           // outline of all roots; empty: not compared
        QTest::addColumn<int>("nodes");              // -1: not compared
        QTest::addColumn<QStringList>("skipped");    // names the warning lists
        QTest::addColumn<int>("skippedCount");       // -1: as many as listed
        QTest::addColumn<QStringList>("loadErrors"); // texts of critical boxes at start-up
        QTest::addColumn<bool>("unloads");
        QTest::addColumn<Presses>("presses");
    }

    // A case whose start-up shows no box but the warning.
    void addCase(const char *name, const QStringList &statements, const QString &tree,
                 const QStringList &skipped, const Presses &presses)
    {
        QTest::newRow(name) << statements << tree << -1 << skipped << -1 << QStringList{} << false
                            << presses;
    }

    void run();

private slots:
    void initTestCase()
    {
        ShownTexts::instance().collectLogLines();
        useOdbcIni(sqliteDataSource(sqliteFile()));
    }

    void cleanupTestCase()
    {
        // Whatever went wrong above, the password never reached the user.
        const QStringList leaks = ShownTexts::instance().containing(QStringLiteral("tamarisk"));
        QVERIFY2(leaks.isEmpty(), qPrintable(leaks.join(u'\n')));
        QVERIFY(ShownTexts::instance().count() > 0);
    }

    void keys_data();
    void keys() { run(); }
    void order_data();
    void order() { run(); }
    void values_data();
    void values() { run(); }
    void text_data();
    void text() { run(); }
    void shape_data();
    void shape() { run(); }
    void timeScale_data();
    void timeScale() { run(); }

    void deepChainExpandsToItsEnd();
    void deeperChainIsCutAndOpensWhole();
};

void HostileDataTest::run()
{
    QFETCH(QStringList, statements);
    QFETCH(QString, tree);
    QFETCH(int, nodes);
    QFETCH(QStringList, skipped);
    QFETCH(int, skippedCount);
    QFETCH(QStringList, loadErrors);
    QFETCH(bool, unloads);
    QFETCH(Presses, presses);

    sqlite::create(sqliteFile(), statements);
    const QByteArray before = sqlite::checksum(sqliteFile());
    {
        BoxCatcher boxes;
        Form1 form;
        auto collect = qScopeGuard([&] {
            ShownTexts::instance().addBoxes(boxes);
            ShownTexts::instance().addWindow(form);
        });
        form.Form_Load();
        const FormProbe probe(form);

        QCOMPARE(form.isUnloaded(), unloads);
        const QList<ShownBox> critical = boxesWith(boxes.boxes(), QMessageBox::Critical);
        QCOMPARE(critical.size(), loadErrors.size());
        for (int i = 0; i < loadErrors.size(); ++i)
            QVERIFY2(critical.at(i).text.contains(loadErrors.at(i)),
                     qPrintable(critical.at(i).text));

        const QList<ShownBox> warnings = boxesWith(boxes.boxes(), QMessageBox::Warning);
        if (skippedCount < 0)
            skippedCount = int(skipped.size());
        if (skippedCount == 0) {
            QVERIFY2(warnings.isEmpty(), qPrintable(warnings.value(0).text.left(2000)));
        } else {
            QCOMPARE(warnings.size(), 1);
            const QString &warning = warnings.first().text;
            QCOMPARE(skippedCountIn(warning), skippedCount);
            // A long name shows its start.
            for (const QString &name : skipped)
                QVERIFY2(
                    warning.contains(
                        QStringLiteral("- \"") +
                        (name.size() > 80 ? name.left(40) : name + QStringLiteral("\" (id"))),
                    qPrintable(name.left(100) + QStringLiteral(" not in:\n") + warning.left(2000)));
            for (const QString &line : warning.split(u'\n'))
                QVERIFY2(line.size() <= 450, qPrintable(line));
        }
        // Every box fits on the screen, whatever the data.
        for (const ShownBox &box : boxes.boxes())
            QVERIFY2(box.screen.contains(box.frame), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                    .arg(box.frame.x())
                                                                    .arg(box.frame.y())
                                                                    .arg(box.frame.width())
                                                                    .arg(box.frame.height())));
        if (unloads)
            return;

        if (!tree.isEmpty())
            QCOMPARE(treeOutline(probe), tree);
        if (nodes >= 0)
            QCOMPARE(probe.tree->nodeCount(), nodes);

        for (const Press &press : presses) {
            const auto node = probe.tree->find(press.key);
            QVERIFY2(node != TreeModel::NoNode, qPrintable(press.key.left(100)));
            const qsizetype shown = boxes.boxes().size();
            probe.select(press.key);
            QVERIFY(probe.pressDefine());
            const QList<ShownBox> errors = boxesWith(boxes.boxes(), QMessageBox::Critical, shown);
            if (press.error.isEmpty()) {
                QCOMPARE(boxes.boxes().size(), shown);
            } else {
                QCOMPARE(boxes.boxes().size(), shown + 1);
                QCOMPARE(errors.size(), 1);
                QVERIFY2(errors.first().text.contains(press.error),
                         qPrintable(errors.first().text));
            }
            QCOMPARE(probe.description(), press.description);
            QCOMPARE(probe.lbl_level->text(), press.level);
        }
        // The window still answers: the tree is whole and the button works.
        QVERIFY(probe.btn_define->isEnabled());
    }
    QCOMPARE(sqlite::checksum(sqliteFile()), before);
}

void HostileDataTest::keys_data()
{
    addColumns();
    addCase("duplicate name and id",
            lithology({top("Basalt", 1, "first"), top("Basalt", 1, "second")}),
            "Lithology Version 6(Basalt)", {"Basalt"}, {{"Basalt1", "Basalt: first", "Level: 1"}});
    addCase("joined texts collide",
            lithology({top("Chalk1", 1, "one"), top("Chalk", 11, "eleven"),
                       top(Null, 12, "nameless"), top("1", 2, "digit")}),
            "Lithology Version 6(,Chalk1)", {"Chalk", "1"},
            // No row's trimmed name is empty text: no level.
            {{"Chalk11", "Chalk1: one", "Level: 1"}, {"12", ": nameless", ""}});
    // Both hierarchies share one key space with the two roots.
    QTest::newRow("keys of the roots")
        << lithology({top("lith", 6), top("lith6", Null), top("Strat", 7), top("Sand", 1)}) +
               stratigraphy({{"lith", Null, 100, 6, Null, Null, "Eon", 1, 2},
                             {"Strat", Null, 100, Null, Null, Null, "Eon", 1, 2},
                             {"Strat", Null, 100, 7, Null, Null, "Eon", 1, 2},
                             {"Holocene", Null, 100, 8, Null, Null, "Epoch", 0, 0.0117}})
        << "Lithology Version 6(Sand,Strat) | Stratigraphic Age(Holocene)" << -1
        << QStringList{"lith", "lith6", "Strat"} << 5 << QStringList{} << false
        << Presses{{"Strat7", "Strat: ", "Level: 1"},
                   {"Holocene8",
                    "Holocene: Epoch\r\nMinimum Age (mya): 0\r\nMaximum Age (mya): 0.0117", ""}};
    // The roots come first: a lithology row whose key is "Strat" is left out,
    // as any other row whose key is taken, and costs the window nothing.
    addCase(
        "lithology terms keyed like the stratigraphic root",
        lithology({top("Str", "at", "taken"), top("Strat", Null, "taken too"), top("Sand", 1)}) +
            stratigraphy({{"Holocene", Null, 100, 8, Null, Null, "Epoch", 0, 0.0117}}),
        "Lithology Version 6(Sand) | Stratigraphic Age(Holocene)", {"Str", "Strat"},
        {{"Strat", "Stratigraphic Age: ", ""}, {"Sand1", "Sand: ", "Level: 1"}});
    // Without stratigraphic rows the key is free.
    addCase("the stratigraphic root's key without stratigraphic rows",
            lithology({top("Str", "at", "kept"), top("Sand", 1)}), "Lithology Version 6(Sand,Str)",
            {}, {{"Strat", "Str: kept", "Level: 1"}});
    addCase(
        "the same term under two parents",
        lithology({top("Igneous", 1), top("Volcanic", 2), child("Tuff", 3, "Igneous", 1, 2, "ash"),
                   child("Tuff", 3, "Volcanic", 2, 2, "again")}),
        "Lithology Version 6(Igneous(Tuff),Volcanic)", {"Tuff"},
        {{"Tuff3", "Tuff: ash", "Level: 2"}});
    addCase("a Null name with an id",
            lithology({top("Sand", 1, "grains"), top(Null, 5, "nameless"),
                       child("Under", 6, Null, 5, 2, "below the nameless")}),
            "Lithology Version 6((Under),Sand)", {},
            {{"Sand1", "Sand: grains", "Level: 1"},
             // No row's trimmed name is empty text: no level.
             {"5", ": nameless", ""},
             {"Under6", "Under: below the nameless", "Level: 2"}});
    addCase("a Null name and a Null id", lithology({top(Null, Null, "nothing"), top("Sand", 1)}),
            "Lithology Version 6(Sand)", {"Null"}, {});
}

void HostileDataTest::order_data()
{
    addColumns();
    addCase("a child before its parent",
            lithology({child("Granite", 2, "Igneous", 1, 2, "coarse"), top("Igneous", 1, "melt")}),
            "Lithology Version 6(Igneous)", {"Granite"},
            {{"Igneous1", "Igneous: melt", "Level: 1"}});
    addCase("a row naming itself",
            lithology({lith("Loop", "Loop", 2, 7, 7, 1, ""),
                       lith("Self", "Self", 1, 8, 8, 0, "first level wins")}),
            "Lithology Version 6(Self)", {"Loop"},
            {{"Self8", "Self: first level wins", "Level: 1"}});
    addCase("two rows naming each other",
            lithology({lith("Yin", "Yang", 2, 1, 2, 1, ""), lith("Yang", "Yin", 2, 2, 1, 1, ""),
                       top("Sand", 3)}),
            "Lithology Version 6(Sand)", {"Yin", "Yang"}, {});
    addCase("a parent that never qualified",
            lithology({lith("Ghost", Null, Null, 1, Null, Null, "no level"),
                       child("Haunt", 2, "Ghost", 1, 2), child("Echo", 3, "Haunt", 2, 3),
                       lith("Skip", "Ghost", 3, 4, 1, 1, "two levels down: not a child")}),
            "Lithology Version 6", {"Haunt", "Echo"}, {{"lith6", "Lithology Version 6: ", ""}});
    Rows chain{child("Link 0", 100, "Missing", 99, 2)};
    for (int i = 1; i <= 20; ++i)
        chain << child(QStringLiteral("Link %1").arg(i), 100 + i,
                       QStringLiteral("Link %1").arg(i - 1), 99 + i, 2 + i);
    QTest::newRow("a lost branch")
        << lithology(chain) << "Lithology Version 6" << 1 << QStringList{"Link 0", "Link 9"} << 21
        << QStringList{} << false << Presses{};
}

void HostileDataTest::values_data()
{
    addColumns();
    addCase("levels as text",
            lithology({lith("One", Null, "1", 1, Null, Null, "d1"),
                       lith("Two", "One", " 2", 2, 1, "1", "d2"),
                       lith("Ex", "One", "x", 3, 1, "1", "dx"),
                       lith("Padded", Null, " 1 ", 4, Null, Null, "p"),
                       lith("Fraction", Null, "1.0", 5, Null, Null, "f"),
                       lith("Why", "One", "2", 6, 1, "y", "dy")},
                      lithologyColumnsWith({"Lith_level TEXT", "parent_level TEXT"})),
            "Lithology Version 6(Fraction,One(Two),Padded)", {"Ex", "Why"},
            {{"Two2", "Two: d2", "Level:  2"},
             {"Padded4", "Padded: p", "Level:  1 "},
             {"Fraction5", "Fraction: f", "Level: 1.0"}});
    // SQLite keeps what it cannot convert: an INTEGER column may hold a
    // fraction, text, or a number beyond 64 bits, and each reads as itself.
    addCase(
        "values unlike their column's type",
        lithology({top("One", 2, "whole"), lith("Half", Null, 1.5, 1, Null, Null, ""),
                   lith("Ex", "One", "x", 3, 2, 1, ""), lith("Junk", "One", "2abc", 4, 2, 1, ""),
                   lith("Huge", Null, 1e300, 5, Null, Null, ""), top("Id", "id-7", "text id"),
                   top("Frac", 2.5, "fractional id"),
                   lith("One", Null, 1.5, 9, Null, Null, "not placed, but a later match")}),
        "Lithology Version 6(Frac,Id,One)", {"Ex", "Junk"},
        {{"One2", "One: whole", "Level: 1.5"},
         {"Idid-7", "Id: text id", "Level: 1"},
         {"Frac2.5", "Frac: fractional id", "Level: 1"}});
    addCase("first-level rows whose level spells no number",
            lithology({lith("Wide", Null, QString::fromUtf8("\uFF11"), 1, Null, Null, ""),
                       lith("Comma", Null, "1,0", 2, Null, Null, ""),
                       lith("Word", Null, "one", 3, Null, Null, ""),
                       lith("NaN", Null, "NaN", 4, Null, Null, ""), child("Under", 5, "Word", 3, 2),
                       top("Sand", 6, "grains")},
                      lithologyColumnsWith({"Lith_level TEXT", "parent_level TEXT"})),
            "Lithology Version 6(Sand)", {"Wide", "Comma", "Word", "NaN", "Under"},
            {{"Sand6", "Sand: grains", "Level: 1"}});
    addCase("fractional levels",
            lithology({lith("Whole", Null, 1.0, 1, Null, Null, ""),
                       lith("Half", "Whole", 1.5, 2, 1, 0.5, ""),
                       lith("Uneven", "Whole", 2.5, 3, 1, 1.0, "")},
                      lithologyColumnsWith({"Lith_level REAL", "parent_level REAL"})),
            "Lithology Version 6(Whole(Half))", {},
            {{"Whole1", "Whole: ", "Level: 1"}, {"Half2", "Half: ", "Level: 1.5"}});
    const qint64 max = std::numeric_limits<qint64>::max();
    const qint64 min = std::numeric_limits<qint64>::min();
    addCase("huge and negative levels",
            lithology({top("Base", 1), lith("Minus", "Base", -1, 2, 1, -2, ""),
                       lith("Max", "Base", max, 3, 1, max - 1, ""),
                       lith("Overflow", "Base", max, 4, 1, min, ""),
                       lith("Underflow", "Base", min, 5, 1, max, ""),
                       lith("Far", "Base", 1e300, 6, 1, -1e300, "")}),
            "Lithology Version 6(Base(Minus,Max))", {},
            {{"Minus2", "Minus: ", "Level: -1"}, {"Max3", "Max: ", "Level: 9223372036854775807"}});
    addCase("64-bit ids",
            lithology({top("Big", qint64(4294967296)),
                       child("Bigger", max, "Big", qint64(4294967296), 2, "top id"),
                       child("Lowest", min, "Bigger", max, 3, "bottom id"), top("Negative", -5)}),
            "Lithology Version 6(Big(Bigger(Lowest)),Negative)", {},
            {{"Bigger9223372036854775807", "Bigger: top id", "Level: 2"},
             {"Lowest-9223372036854775808", "Lowest: bottom id", "Level: 3"},
             {"Negative-5", "Negative: ", "Level: 1"}});
    addCase("NUMERIC and DECIMAL ids past 2^53",
            lithology({top("Bore", qint64(9007199254740992), "first"),
                       top("Bore", qint64(9007199254740993), "second"),
                       child("Core", 5, "Bore", qint64(9007199254740993), 2, "under the second")},
                      lithologyColumnsWith({"lith_id NUMERIC", "parent_id DECIMAL(20, 0)"})),
            "Lithology Version 6(Bore,Bore(Core))", {},
            {{"Bore9007199254740992", "Bore: first", "Level: 1"},
             {"Bore9007199254740993", "Bore: second", "Level: 1"},
             {"Core5", "Core: under the second", "Level: 2"}});
    addCase("Null in each column in turn",
            lithology({top("Base", 1, "base"), lith(Null, "Base", 2, 10, 1, 1, "no name"),
                       lith("NoParent", Null, 2, 11, 1, 1, ""),
                       lith("NoLevel", "Base", Null, 12, 1, 1, ""),
                       lith("NoId", "Base", 2, Null, 1, 1, "no id"),
                       lith("NoParentId", "Base", 2, 14, Null, 1, ""),
                       lith("NoParentLevel", "Base", 2, 15, 1, Null, ""),
                       lith("NoDescription", "Base", 2, 16, 1, 1, Null),
                       lith(Null, Null, Null, Null, Null, Null, Null)}),
            "Lithology Version 6(Base(,NoId,NoDescription))", {"NoParent", "NoParentId"},
            {{"NoId", "NoId: no id", "Level: 2"},
             {"10", ": no name", ""},
             {"NoDescription16", "NoDescription: ", "Level: 2"}});
}

void HostileDataTest::text_data()
{
    addColumns();
    addCase("spaces around names",
            lithology({top("  Padded  ", 1, "  spaced  "), top("Plain", 2),
                       lith("Padded", Null, 5, 3, Null, Null, "does not qualify")}),
            "Lithology Version 6(  Padded  ,Plain)", {},
            // Trimmed names match, so the later row's level wins.
            {{"  Padded  1", "  Padded  :   spaced  ", "Level: 5"}});
    addCase("tabs are not trimmed",
            lithology({top("\tTabbed", 1, "a\tb"), lith("Tabbed", Null, 5, 2, Null, Null, "")}),
            "Lithology Version 6(\tTabbed)", {}, {{"\tTabbed1", "\tTabbed: a\tb", "Level: 1"}});
    addCase("line breaks",
            lithology({top("Two\r\nlines", 1, "first\r\nsecond"), top("Feed", 2, "a\nb"),
                       top("Return", 3, "c\rd")}),
            "Lithology Version 6(Feed,Return,Two\r\nlines)", {},
            {{"Two\r\nlines1", "Two\r\nlines: first\r\nsecond", "Level: 1"},
             // A lone line feed or carriage return reads back as it came.
             {"Feed2", "Feed: a\nb", "Level: 1"},
             {"Return3", "Return: c\rd", "Level: 1"}});
    const QString controls = QStringLiteral("Bell\aEsc\x1b\x01\x1f\x7f");
    addCase("control characters", lithology({top(controls, 1, "\x02\x03 end\x0b\x0c")}),
            "Lithology Version 6(" + controls + ")", {},
            {{controls + "1", controls + ": \x02\x03 end\x0b\x0c", "Level: 1"}});
    const QString arabic = QStringLiteral(u"بازلت");
    const QString hebrew = QStringLiteral(u"גרניט (granite)");
    const QString precomposed = QStringLiteral(u"Caf\u00e9");
    const QString decomposed = QStringLiteral(u"Cafe\u0301");
    const QString emoji = QStringLiteral(u"Rock \U0001FAA8\U0001F48E");
    addCase("scripts, combining marks and emoji",
            lithology({top(arabic, 1, QStringLiteral(u"صخرة بركانية")), top(hebrew, 2, "RTL"),
                       top(precomposed, 3, "one code point"),
                       lith(decomposed, Null, 9, 4, Null, Null, "two code points"),
                       top(emoji, 5, QStringLiteral(u"\U0001F30B hot")),
                       child(QStringLiteral(u"\U0001F30B"), 6, emoji, 5, 2, "child of emoji")}),
            QStringLiteral(u"Lithology Version 6(%1,%2(\U0001F30B),%3,%4)")
                .arg(precomposed, emoji, hebrew, arabic),
            {},
            {{arabic + "1", arabic + QStringLiteral(u": صخرة بركانية"), "Level: 1"},
             {hebrew + "2", hebrew + ": RTL", "Level: 1"},
             // Composed and decomposed spellings are different names.
             {precomposed + "3", precomposed + ": one code point", "Level: 1"},
             {emoji + "5", emoji + QStringLiteral(u": \U0001F30B hot"), "Level: 1"},
             {QStringLiteral(u"\U0001F30B6"), QStringLiteral(u"\U0001F30B: child of emoji"),
              "Level: 2"}});
    QString megabyte;
    for (int line = 0; megabyte.size() < 1024 * 1024; ++line)
        megabyte += QStringLiteral("Line %1 of a very long definition.\r\n").arg(line);
    addCase("a 1 MB definition", lithology({top("Huge", 1, megabyte), top("Small", 2, "s")}),
            "Lithology Version 6(Huge,Small)", {},
            {{"Huge1", "Huge: " + megabyte, "Level: 1"}, {"Small2", "Small: s", "Level: 1"}});
    // Each row twice: the second of each is left out and listed.
    for (const int length : {1000, 100000}) {
        QStringList names;
        for (int i = 1; i <= 10; ++i)
            names << QStringLiteral("N%1-").arg(i) + QString(length, u'0');
        addCase(qPrintable(QStringLiteral("ten rows left out with %1-character names").arg(length)),
                generatedLithology(20, QStringLiteral("printf('N%d-', (i + 1) / 2) || "
                                                      "hex(zeroblob(%1)), NULL, 1, 1, NULL, NULL, "
                                                      "'row ' || i")
                                           .arg(length / 2)),
                QString(), names, {{names.last() + "1", names.last() + ": row 19", "Level: 1"}});
    }
    // Ten rows whose long parent keys lead nowhere: more lines than the
    // screen holds, so the box leaves the last of them off.
    QStringList orphans;
    for (int i = 1; i <= 10; ++i)
        orphans << QStringLiteral("C%1-").arg(i) + QString(1000, u'0');
    QTest::newRow("ten long rows, more than a screen holds")
        << generatedLithology(10, "'C' || i || '-' || hex(zeroblob(500)), "
                                  "'P' || hex(zeroblob(500)), 2, i, 1, 1, NULL")
        << "Lithology Version 6" << -1 << orphans.first(3) << 10 << QStringList{} << false
        << Presses{};
    const QString longName = QStringLiteral("Long").repeated(2500);
    const QString otherLong = QString(10000, u'x');
    addCase("10,000-character names",
            lithology({top(longName, 1, "long"), child(otherLong, 2, longName, 1, 2, "deep"),
                       top(longName, 1, "duplicate")}),
            "Lithology Version 6(" + longName + "(" + otherLong + "))", {longName},
            {{longName + "1", longName + ": long", "Level: 1"},
             {otherLong + "2", otherLong + ": deep", "Level: 2"}});
}

void HostileDataTest::shape_data()
{
    addColumns();
    addCase("no rows", lithology({}), "Lithology Version 6", {},
            {{"lith6", "Lithology Version 6: ", ""}});

    // In reverse order, so every term lands at the front of the sorted root.
    QTest::newRow("100,000 first-level terms")
        << generatedLithology(100000, "printf('T%06d', 100000 - i), NULL, 1, i, NULL, NULL, "
                                      "'term ' || i")
        << QString() << 100001 << QStringList{} << -1 << QStringList{} << false
        << Presses{{"T0999991", "T099999: term 1", "Level: 1"},
                   {"T000000100000", "T000000: term 100000", "Level: 1"}};
    QTest::newRow("depth 1,000") << generatedLithology(
                                        1000,
                                        "'D' || i, CASE WHEN i > 1 THEN 'D' || (i - 1) END, i, "
                                        "i, NULLIF(i - 1, 0), NULLIF(i - 1, 0), 'depth ' || i")
                                 << QString() << 1001 << QStringList{} << -1 << QStringList{}
                                 << false
                                 << Presses{{"D10001000", "D1000: depth 1000", "Level: 1000"},
                                            {"D11", "D1: depth 1", "Level: 1"}};

    const QStringList columns = sqlite::lithologyColumns();
    // "description" is covered where the start-up is tested.
    for (int missing = 0; missing < columns.size() - 1; ++missing) {
        QStringList fewer = columns;
        const QString name = fewer.takeAt(missing).section(u' ', 0, 0);
        QVariantList row = top("Sand", 1);
        row.removeAt(missing);
        QTest::newRow(qPrintable("no column " + name))
            << lithology({row}, fewer) << QString() << -1 << QStringList{} << -1
            << QStringList{"no column \"" + name + "\""} << true << Presses{};
    }

    addCase("extra columns",
            lithology({{"Extra", 0, "Sand", Null, 1, 1, Null, Null, "grains", "more"}},
                      {"extra TEXT", "lith_id2 INTEGER", "Lithology TEXT", "Parent TEXT",
                       "Lith_level INTEGER", "lith_id INTEGER", "parent_id INTEGER",
                       "parent_level INTEGER", "description TEXT", "description2 TEXT"}),
            "Lithology Version 6(Sand)", {}, {{"Sand1", "Sand: grains", "Level: 1"}});
    addCase("columns in another order and case",
            lithology(
                {{"grains", Null, Null, 1, 1, Null, "Sand"}, {"fine", 1, 1, 2, 2, "Sand", "Silt"}},
                {"DESCRIPTION TEXT", "Parent_Level INTEGER", "PARENT_ID INTEGER", "LITH_ID INTEGER",
                 "lith_LEVEL INTEGER", "pArEnT TEXT", "LITHOLOGY TEXT"}),
            "Lithology Version 6(Sand(Silt))", {},
            {{"Sand1", "Sand: grains", "Level: 1"}, {"Silt2", "Silt: fine", "Level: 2"}});

    QStringList noMinimum = sqlite::stratigraphyColumns();
    noMinimum.removeAt(7);
    QTest::newRow("stratigraphic rows without min_age")
        << lithology({top("Sand", 1)}) +
               stratigraphy({{"Holocene", Null, 100, 8, Null, Null, "Epoch", 0.0117}}, noMinimum)
        << "Lithology Version 6(Sand) | Stratigraphic Age(Holocene)" << -1 << QStringList{} << -1
        << QStringList{} << false
        << Presses{{"Holocene8", "", "", "no column \"min_age\""},
                   // The window goes on: the next press works.
                   {"Sand1", "Sand: ", "Level: 1"}};
}

void HostileDataTest::timeScale_data()
{
    // The double nearest 1e300, digit for digit, as a whole number prints.
    const QString exactTenToThe300 =
        "1000000000000000052504760255204420248704468581108159154915854115511802457988908195786371"
        "375080447864043704443832883878176942523235360430575644792184786706982848387200926575803"
        "737830233794788090059368953234970799945081119038967640880074652742780142494579258788820"
        "056842838115669472196386865459400540160";
    addColumns();
    const QStringList sand = lithology({top("Sand", 1)});
    const QString eon =
        QStringLiteral("Eon: Eon\r\nMinimum Age (mya): 0\r\nMaximum Age (mya): 4000");
    QStringList textLevels = sqlite::stratigraphyColumns();
    textLevels[2] = "strat_level TEXT";
    textLevels[5] = "parent_level TEXT";
    addCase("levels as text",
            sand + stratigraphy({{"Eon", Null, "100", 1, Null, Null, "Eon", 0, 4000},
                                 {"Era", "Eon", " 200 ", 2, 1, "100", "Era", 0, 500},
                                 {"Half", "Era", "250.0", 3, 2, "200", "Sub", 0, 100},
                                 {"Bad", "Eon", "x", 4, 1, "100", "Era", 0, 1},
                                 {"Same", "Eon", "100.5", 5, 1, "100.5", "Era", 0, 1}},
                                textLevels),
            "Lithology Version 6(Sand) | Stratigraphic Age(Eon(Era(Half)))", {"Bad"},
            {{"Eon1", eon, ""},
             {"Half3", "Half: Sub\r\nMinimum Age (mya): 0\r\nMaximum Age (mya): 100", ""}});
    QStringList textAges = sqlite::stratigraphyColumns();
    textAges[7] = "min_age TEXT";
    addCase("ages as stored",
            sand + stratigraphy({{"Age", Null, 100, 1, Null, Null, "Age", "about 5", Null},
                                 {"Age", Null, 900, 2, Null, Null, "Age", "-1", 1e300},
                                 {"Age", Null, 900, 3, Null, Null, "Age", " 66 ", 66.0}},
                                textAges),
            "Lithology Version 6(Sand) | Stratigraphic Age(Age)", {},
            {{"Age1",
              "Age: Age\r\nMinimum Age (mya): about 5\r\nMaximum Age (mya): "
              "\r\nMinimum Age (mya): -1\r\nMaximum Age (mya): " +
                  exactTenToThe300 + "\r\nMinimum Age (mya):  66 \r\nMaximum Age (mya): 66",
              ""}});
    addCase("Null in each column in turn",
            sand + stratigraphy({{"Eon", Null, 100, 1, Null, Null, "Eon", 0, 4000},
                                 {Null, "Eon", 200, 10, 1, 100, "no name", 1, 2},
                                 {"NoParent", Null, 200, 11, 1, 100, "Era", 1, 2},
                                 {"NoLevel", "Eon", Null, 12, 1, 100, "Era", 1, 2},
                                 {"NoId", "Eon", 200, Null, 1, 100, "Era", 1, 2},
                                 {"NoParentId", "Eon", 200, 14, Null, 100, "Era", 1, 2},
                                 {"NoParentLevel", "Eon", 200, 15, 1, Null, "Era", 1, 2},
                                 {"NoRank", "Eon", 200, 16, 1, 100, Null, 1, 2},
                                 {"NoAges", "Eon", 200, 17, 1, 100, "Era", Null, Null}}),
            "Lithology Version 6(Sand) | Stratigraphic Age(Eon(,NoId,NoRank,NoAges))",
            {"NoParent", "NoParentId"},
            {{"10", ": no name", ""},
             {"NoId", "NoId: Era\r\nMinimum Age (mya): 1\r\nMaximum Age (mya): 2", ""},
             {"NoRank16", "NoRank: \r\nMinimum Age (mya): 1\r\nMaximum Age (mya): 2", ""},
             {"NoAges17", "NoAges: Era\r\nMinimum Age (mya): \r\nMaximum Age (mya): ", ""}});
    addCase("names alike but not equal",
            sand + stratigraphy({{"Jurassic", Null, 100, 1, Null, Null, "Period", 145, 201.4},
                                 {"Jurassic ", Null, 900, 2, Null, Null, "x", 1, 1},
                                 {"jurassic", Null, 900, 3, Null, Null, "x", 2, 2},
                                 {"Jurassic", Null, 900, 4, Null, Null, "x", 3, 3}}),
            "Lithology Version 6(Sand) | Stratigraphic Age(Jurassic)", {},
            {{"Sand1", "Sand: ", "Level: 1"},
             // Two exact matches, in row order; a unit shows no level.
             {"Jurassic1",
              "Jurassic: Period\r\nMinimum Age (mya): 145\r\nMaximum Age (mya): 201.4"
              "\r\nMinimum Age (mya): 3\r\nMaximum Age (mya): 3",
              ""}});
}

// Opening every node of a deep chain runs the folder handler at each depth.
void HostileDataTest::deepChainExpandsToItsEnd()
{
    sqlite::create(sqliteFile(),
                   generatedLithology(1000, "'D' || i, 'D' || (i - 1), i, i, i - 1, i - 1, NULL"));
    BoxCatcher boxes;
    Form1 form;
    form.Form_Load();
    const FormProbe probe(form);
    QVERIFY(boxes.boxes().isEmpty());
    for (int i = 1; i < 1000; ++i)
        probe.tv->expand(probe.tree->indexOf(probe.tree->item(QStringLiteral("D%1%1").arg(i))));
    const auto lastBranch = probe.tree->item(QStringLiteral("D999999"));
    const auto leaf = probe.tree->item(QStringLiteral("D10001000"));
    QCOMPARE(probe.tree->image(lastBranch), 2);
    QCOMPARE(probe.tree->image(leaf), 1);
    QCOMPARE(probe.tree->fullPath(leaf).count(TreeModel::PathSeparator), 1000);
    probe.tv->collapse(probe.tree->indexOf(probe.tree->item(QStringLiteral("D11"))));
    QCOMPARE(probe.tree->image(probe.tree->item(QStringLiteral("D11"))), 1);
    QCOMPARE(probe.tree->image(lastBranch), 2);
    ShownTexts::instance().addBoxes(boxes);
}

// A chain far deeper than any vocabulary: the tree keeps its first levels,
// the warning names the first row cut off, and opening the whole chain with
// "*" or from code, and going to its end, leave the window working.
void HostileDataTest::deeperChainIsCutAndOpensWhole()
{
    constexpr int depth = 200000;
    sqlite::create(sqliteFile(), generatedLithology(depth, "'D' || i, 'D' || (i - 1), i, i, "
                                                           "i - 1, i - 1, NULL"));
    BoxCatcher boxes;
    Form1 form;
    form.Form_Load();
    const FormProbe probe(form);
    const int kept = TreeModel::MaxDepth - 1;
    QCOMPARE(probe.tree->nodeCount(), kept + 1);
    QCOMPARE(boxes.boxes().size(), 1);
    const QString warning = boxes.boxes().first().text;
    QCOMPARE(skippedCountIn(warning), depth - kept);
    const QString firstCut = QStringLiteral("D%1").arg(kept + 1);
    QVERIFY2(warning.contains("- \"" + firstCut + "\" (id") && warning.contains("Too deep"),
             qPrintable(warning));

    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const auto deepest = probe.tree->item(QStringLiteral("D%1%1").arg(kept));
    const auto aboveDeepest = probe.tree->parentOf(deepest);
    probe.select(QStringLiteral("lith6"));
    QTest::keyClick(probe.tv, Qt::Key_Asterisk);
    QVERIFY(probe.tv->isExpanded(probe.tree->indexOf(aboveDeepest)));
    QCOMPARE(probe.tree->image(aboveDeepest), 2);
    QCOMPARE(probe.tree->image(deepest), 1);
    QTest::keyClick(probe.tv, Qt::Key_End);
    probe.tv->collapseAll();
    QCOMPARE(probe.tree->image(aboveDeepest), 1);
    probe.tv->expandAll();
    QCOMPARE(probe.tree->image(aboveDeepest), 2);
    QTest::keyClick(probe.tv, Qt::Key_End);
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    probe.select(QStringLiteral("D%1%1").arg(kept));
    QVERIFY(probe.pressDefine());
    QCOMPARE(probe.description(), QStringLiteral("D%1: ").arg(kept));
    QCOMPARE(probe.lbl_level->text(), QStringLiteral("Level: %1").arg(kept));
    QCOMPARE(boxes.boxes().size(), 1);
    ShownTexts::instance().addBoxes(boxes);
}

QTEST_MAIN(HostileDataTest)
#include "tst_hostile.moc"
