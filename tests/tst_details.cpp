// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/DataSources.h"
#include "support/LoadedWindow.h"
#include "support/SqliteFile.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>

using namespace kestrelon;
using namespace testsupport;

using Rows = QList<QVariantList>;
Q_DECLARE_METATYPE(Rows)

namespace {

QVariant null()
{
    return QVariant();
}

QString ageLines(const QString &minimum, const QString &maximum)
{
    return QStringLiteral("\r\nMinimum Age (mya): ") + minimum +
           QStringLiteral("\r\nMaximum Age (mya): ") + maximum;
}

QStringList lithology(const Rows &rows)
{
    return sqlite::rowSet(QStringLiteral("QryLithParent"), sqlite::lithologyColumns(), rows);
}

QStringList stratigraphy(const Rows &rows)
{
    return sqlite::rowSet(QStringLiteral("QryStratParent"), sqlite::stratigraphyColumns(), rows);
}

// The first line of the description of the node with this key.
QString firstLine(const FormProbe &probe, const QString &key)
{
    const TreeModel::Node node = probe.tree->item(key);
    return probe.tree->text(node) + QStringLiteral(": ") + probe.tree->tag(node).toText();
}

const Rows igneousOnly{{"Igneous", null(), 1, 1, null(), null(), "melt"}};

} // namespace

// "Define" through the real window on real SQLite files: which view runs,
// and what each writes to the description box and the level label.
class DetailsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useOdbcIni(sqliteDataSource(sqliteFile())); }

    // Every node text below has a lithology row (level 9) and a
    // stratigraphic row (ages 1 and 2), neither of which becomes a node: the
    // view that ran shows in the label or in the age lines.
    void defineChoosesTheViewByThePath_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("lithologyView");
        QTest::newRow("the lithology root") << "lith6" << true;
        QTest::newRow("first level under it") << "Igneous1" << true;
        QTest::newRow("four levels down") << "Alkali granite4" << true;
        QTest::newRow("a root that goes on after the 19 characters") << "edition2" << true;
        QTest::newRow("a node under that root") << "Basalt7" << true;
        QTest::newRow("the same 19 characters in lower case") << "lower" << false;
        QTest::newRow("a leading space") << "spaced" << false;
        QTest::newRow("shorter than 19 characters") << "short" << false;
        QTest::newRow("the stratigraphic root") << "Strat" << false;
        QTest::newRow("a stratigraphic unit") << "Phanerozoic1" << false;
        QTest::newRow("a unit two levels down") << "Carboniferous3" << false;
        QTest::newRow("the lithology root's text under another root") << "lithInStrat" << false;
        QTest::newRow("any other root") << "other" << false;
    }
    void defineChoosesTheViewByThePath()
    {
        QFETCH(QString, key);
        QFETCH(bool, lithologyView);
        const QStringList names{"Lithology Version 6",
                                "Igneous",
                                "Alkali granite",
                                "Lithology Version 6 (2nd edition)",
                                "Basalt",
                                "lithology version 6",
                                " Lithology Version 6",
                                "Lithology Version",
                                "Stratigraphic Age",
                                "Phanerozoic",
                                "Carboniferous",
                                "Other"};
        Rows lith{{"Igneous", null(), 1, 1, null(), null(), "melt"},
                  {"Plutonic", "Igneous", 2, 2, 1, 1, "deep"},
                  {"Granite", "Plutonic", 3, 3, 2, 2, "coarse"},
                  {"Alkali granite", "Granite", 4, 4, 3, 3, "rare"}};
        Rows strat{{"Phanerozoic", null(), 100, 1, null(), null(), "Eon", 0, 538.8},
                   {"Paleozoic", "Phanerozoic", 200, 2, 1, 100, "Era", 251.9, 538.8},
                   {"Carboniferous", "Paleozoic", 300, 3, 2, 200, "Period", 298.9, 358.9}};
        for (int i = 0; i < names.size(); ++i) {
            lith << QVariantList{names[i], null(), 9, 100 + i, null(), null(), "x"};
            strat << QVariantList{names[i], null(), 999, 100 + i, null(), null(), "x", 1, 2};
        }
        sqlite::create(sqliteFile(), lithology(lith) + stratigraphy(strat));
        LoadedWindow window;
        TreeModel &tree = window.form.nodes();
        tree.addRoot("edition2", "Lithology Version 6 (2nd edition)");
        tree.addChild("edition2", "Basalt7", "Basalt", 1);
        tree.addRoot("lower", "lithology version 6");
        tree.addRoot("spaced", " Lithology Version 6");
        tree.addRoot("short", "Lithology Version");
        tree.addRoot("other", "Other");
        tree.addChild("Strat", "lithInStrat", "Lithology Version 6", 1);

        window.define(key);

        QVERIFY(window.boxes.boxes().isEmpty());
        const QString description = window.probe.description();
        const QString first = firstLine(window.probe, key);
        if (lithologyView) {
            QCOMPARE(description, first);
            QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 9"));
        } else {
            QVERIFY2(description.startsWith(first + QStringLiteral("\r\n")),
                     qPrintable(description));
            QVERIFY2(description.endsWith(ageLines("1", "2")), qPrintable(description));
            QCOMPARE(window.probe.lbl_level->text(), QString());
        }
    }

    void defineWithNothingSelectedDoesNothing()
    {
        sqlite::create(sqliteFile(), lithology(igneousOnly));
        LoadedWindow window;
        QTest::mouseClick(window.probe.btn_define, Qt::LeftButton);
        QCOMPARE(window.probe.description(), QString());
        QCOMPARE(window.probe.lbl_level->text(), QString());

        window.define("Igneous1");
        window.probe.tv->clearSelection();
        QTest::mouseClick(window.probe.btn_define, Qt::LeftButton);
        QCOMPARE(window.probe.description(), QStringLiteral("Igneous: melt"));
        QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 1"));
        QVERIFY(window.boxes.boxes().isEmpty());
    }

    // Rows of "QryLithParent"; the nodes pressed in turn; the description and
    // the label after the last press. Rows of level 9 or Null with no parent
    // level become no node but are still looked up.
    void lithologyDetails_data()
    {
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QStringList>("pressed");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("label");

        const QVariantList igneous{"Igneous", null(), 1, 1, null(), null(), "melt"};
        const auto named = [](const QVariant &name, const QVariant &level, int id) {
            return QVariantList{name, null(), level, id, null(), null(), "x"};
        };
        QTest::newRow("a row padded with spaces matches")
            << Rows{igneous, named("  Igneous  ", 9, 50)} << QStringList{"Igneous1"}
            << "Igneous: melt"
            << "Level: 9";
        QTest::newRow("a node padded with spaces matches; its text is shown as it is")
            << Rows{{" Igneous ", null(), 1, 1, null(), null(), "melt"}, named("Igneous", 9, 50)}
            << QStringList{" Igneous 1"} << " Igneous : melt"
            << "Level: 9";
        QTest::newRow("another case does not match")
            << Rows{igneous, named("IGNEOUS", 9, 50), named("igneous", 8, 51)}
            << QStringList{"Igneous1"} << "Igneous: melt"
            << "Level: 1";
        QTest::newRow("tabs are not trimmed")
            << Rows{igneous, named("\tIgneous", 9, 50), named("Igneous\t", 8, 51)}
            << QStringList{"Igneous1"} << "Igneous: melt"
            << "Level: 1";
        QTest::newRow("a node ending in a tab keeps it")
            << Rows{{"Igneous\t", null(), 1, 1, null(), null(), "melt"}, named("Igneous", 9, 50)}
            << QStringList{"Igneous\t1"} << "Igneous\t: melt"
            << "Level: 1";
        QTest::newRow("of two rows with the name the later wins")
            << Rows{igneous, named("Igneous", 9, 50), named("Igneous", 7, 51)}
            << QStringList{"Igneous1"} << "Igneous: melt"
            << "Level: 7";
        QTest::newRow("the later wins even when it is the node's own row")
            << Rows{named("Igneous", 9, 50), igneous} << QStringList{"Igneous1"} << "Igneous: melt"
            << "Level: 1";
        QTest::newRow("a Null level") << Rows{igneous, named("Igneous", null(), 50)}
                                      << QStringList{"Igneous1"} << "Igneous: melt"
                                      << "Level: ";
        QTest::newRow("a Null description")
            << Rows{{"Igneous", null(), 1, 1, null(), null(), null()}} << QStringList{"Igneous1"}
            << "Igneous: "
            << "Level: 1";
        QTest::newRow("the root, no row of its name")
            << Rows{igneous} << QStringList{"lith6"} << "Lithology Version 6: "
            << "";
        QTest::newRow("the root, with a row of its name")
            << Rows{igneous, named("Lithology Version 6", 9, 50)} << QStringList{"lith6"}
            << "Lithology Version 6: "
            << "Level: 9";
        // Another term's level would read as this one's.
        QTest::newRow("no match clears the level shown before")
            << Rows{igneous} << QStringList{"Igneous1", "lith6"} << "Lithology Version 6: "
            << "";
        QTest::newRow("pressing again reads from the first row")
            << Rows{igneous, {"Granite", "Igneous", 2, 2, 1, 1, "coarse"}}
            << QStringList{"Granite2", "Igneous1", "Igneous1"} << "Igneous: melt"
            << "Level: 1";
    }
    void lithologyDetails()
    {
        QFETCH(Rows, rows);
        QFETCH(QStringList, pressed);
        QFETCH(QString, description);
        QFETCH(QString, label);
        sqlite::create(sqliteFile(), lithology(rows));
        LoadedWindow window;
        for (const QString &key : pressed)
            window.define(key);
        QVERIFY(window.boxes.boxes().isEmpty());
        QCOMPARE(window.probe.description(), description);
        QCOMPARE(window.probe.lbl_level->text(), label);
    }

    void lithologyLevelsAreReadAsTheyAreNow()
    {
        sqlite::create(sqliteFile(), lithology(igneousOnly));
        LoadedWindow window;
        window.define("Igneous1");
        QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 1"));

        sqlite::change(sqliteFile(), {"UPDATE QryLithParent_rows SET Lith_level = 4"});
        window.define("Igneous1");
        QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 4"));

        sqlite::change(sqliteFile(), {"DELETE FROM QryLithParent_rows"});
        window.define("Igneous1");
        QCOMPARE(window.probe.description(), QStringLiteral("Igneous: melt"));
        QCOMPARE(window.probe.lbl_level->text(), QString());
        QVERIFY(window.boxes.boxes().isEmpty());
    }

    // "QryLithParent" is dropped under the open window: "Define" fails on
    // opening it, before anything is written; the error is shown and the
    // window goes on. (Columns lost midway are tried on PostgreSQL: the
    // SQLite driver describes a redefined view with its old columns.)
    void lithologyRowSetGoneLeavesTheWindowAsItWas()
    {
        sqlite::create(sqliteFile(), lithology({{"Igneous", null(), 1, 1, null(), null(), "melt"},
                                                {"Granite", "Igneous", 2, 2, 1, 1, "coarse"}}));
        LoadedWindow window;
        window.define("Igneous1");
        sqlite::change(sqliteFile(), {"DROP VIEW QryLithParent"});

        window.define("Granite2");
        QCOMPARE(window.boxes.boxes().size(), 1);
        const ShownBox &box = window.boxes.boxes().first();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
        QVERIFY2(box.text.startsWith(QStringLiteral("Run-time error '")), qPrintable(box.text));
        QVERIFY2(box.text.contains(QStringLiteral("QryLithParent")), qPrintable(box.text));
        QCOMPARE(window.probe.description(), QStringLiteral("Igneous: melt"));
        QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 1"));

        sqlite::change(sqliteFile(), {"CREATE VIEW QryLithParent AS SELECT * FROM "
                                      "QryLithParent_rows ORDER BY rowid"});
        window.define("Granite2");
        QCOMPARE(window.boxes.boxes().size(), 1);
        QCOMPARE(window.probe.description(), QStringLiteral("Granite: coarse"));
        QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 2"));
    }

    // Rows of the stratigraphic row set below the four units that always
    // stand in it; the nodes pressed in turn; the description after the last.
    // Rows of level 999 become no node but are still looked up.
    void stratigraphicDetails_data()
    {
        QTest::addColumn<Rows>("extra");
        QTest::addColumn<QStringList>("pressed");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("label");

        const auto named = [](const QVariant &name, const QVariant &minimum,
                              const QVariant &maximum) {
            return QVariantList{name, null(), 999, null(), null(), null(), "x", minimum, maximum};
        };
        QTest::newRow("one matching row") << Rows{} << QStringList{"Paleozoic2"}
                                          << "Paleozoic: Era" + ageLines("251.9", "538.8") << "";
        QTest::newRow("ages held as whole numbers")
            << Rows{} << QStringList{"Phanerozoic1"} << "Phanerozoic: Eon" + ageLines("0", "538.8")
            << "";
        QTest::newRow("two more rows of the name, in row order")
            << Rows{named("Paleozoic", 1, 2), named("Paleozoic", 3, 4)} << QStringList{"Paleozoic2"}
            << "Paleozoic: Era" + ageLines("251.9", "538.8") + ageLines("1", "2") +
                   ageLines("3", "4")
            << "";
        QTest::newRow("a trailing space or another case does not match")
            << Rows{named("Paleozoic ", 1, 2), named("paleozoic", 3, 4), named(" Paleozoic", 5, 6)}
            << QStringList{"Paleozoic2"} << "Paleozoic: Era" + ageLines("251.9", "538.8") << "";
        QTest::newRow("Null ages")
            << Rows{named("Paleozoic", null(), 2), named("Paleozoic", 1, null())}
            << QStringList{"Paleozoic2"}
            << "Paleozoic: Era" + ageLines("251.9", "538.8") + ageLines("", "2") + ageLines("1", "")
            << "";
        QTest::newRow("a Null rank")
            << Rows{} << QStringList{"Cenozoic4"} << "Cenozoic: " + ageLines("0", "66") << "";
        QTest::newRow("the root, no row of its name")
            << Rows{} << QStringList{"Strat"} << "Stratigraphic Age: "
            << "";
        QTest::newRow("the root, with a row of its name")
            << Rows{named("Stratigraphic Age", 0, 4031)} << QStringList{"Strat"}
            << "Stratigraphic Age: " + ageLines("0", "4031") << "";
        QTest::newRow("pressing again rewinds and rewrites")
            << Rows{} << QStringList{"Paleozoic2", "Carboniferous3", "Paleozoic2", "Paleozoic2"}
            << "Paleozoic: Era" + ageLines("251.9", "538.8") << "";
        QTest::newRow("the level of a lithology term goes")
            << Rows{} << QStringList{"Igneous1", "Paleozoic2"}
            << "Paleozoic: Era" + ageLines("251.9", "538.8") << "";
        QTest::newRow("whole ages past 10^15, exactly")
            << Rows{named("Paleozoic", 1e15, 1e20), named("Paleozoic", 2.5e17, -1e16)}
            << QStringList{"Paleozoic2"}
            << "Paleozoic: Era" + ageLines("251.9", "538.8") +
                   ageLines("1000000000000000", "100000000000000000000") +
                   ageLines("250000000000000000", "-10000000000000000")
            << "";
        // Once the text box was rewritten for each row: minutes for this many.
        Rows many;
        QString manyLines = "Paleozoic: Era" + ageLines("251.9", "538.8");
        for (int i = 0; i < 20000; ++i) {
            many << named("Paleozoic", i, i + 1);
            manyLines += ageLines(QString::number(i), QString::number(i + 1));
        }
        QTest::newRow("20,000 more rows of the name")
            << many << QStringList{"Paleozoic2"} << manyLines << "";
        QTest::newRow("a rank with a lone line feed reads back as written")
            << Rows{{"Mesozoic", "Phanerozoic", 200, 5, 1, 100, "Era\nof reptiles", 66, 251.9},
                    named("Mesozoic", 1, 2)}
            << QStringList{"Mesozoic5"}
            << "Mesozoic: Era\nof reptiles" + ageLines("66", "251.9") + ageLines("1", "2") << "";
    }
    void stratigraphicDetails()
    {
        QFETCH(Rows, extra);
        QFETCH(QStringList, pressed);
        QFETCH(QString, description);
        QFETCH(QString, label);
        const Rows strat =
            Rows{{"Phanerozoic", null(), 100, 1, null(), null(), "Eon", 0, 538.8},
                 {"Paleozoic", "Phanerozoic", 200, 2, 1, 100, "Era", 251.9, 538.8},
                 {"Carboniferous", "Paleozoic", 300, 3, 2, 200, "Period", 298.9, 358.9},
                 {"Cenozoic", "Phanerozoic", 200, 4, 1, 100, null(), 0, 66}} +
            extra;
        sqlite::create(sqliteFile(), lithology(igneousOnly) + stratigraphy(strat));
        LoadedWindow window;
        // Typed text is replaced by the next "Define".
        window.probe.txtDescription->setFocus();
        QTest::keyClicks(window.probe.txtDescription, QStringLiteral("my notes"));
        for (const QString &key : pressed)
            window.define(key);
        QVERIFY(window.boxes.boxes().isEmpty());
        QCOMPARE(window.probe.description(), description);
        QCOMPARE(window.probe.lbl_level->text(), label);
    }

    void withoutStratigraphicRowsOnlyTheFirstLineIsWritten_data()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("description");
        QTest::newRow("no stratigraphic row set") << lithology(igneousOnly) << "other"
                                                  << "Other: ";
        QTest::newRow("an empty one") << lithology(igneousOnly) + stratigraphy({}) << "Strat"
                                      << "Stratigraphic Age: ";
    }
    void withoutStratigraphicRowsOnlyTheFirstLineIsWritten()
    {
        QFETCH(QStringList, statements);
        QFETCH(QString, key);
        QFETCH(QString, description);
        sqlite::create(sqliteFile(), statements);
        LoadedWindow window;
        if (window.probe.tree->find(key) == TreeModel::NoNode)
            window.form.nodes().addRoot(key, "Other");
        window.define(key);
        QVERIFY(window.boxes.boxes().isEmpty());
        QCOMPARE(window.probe.description(), description);
    }

    // A failed request writes neither control; the next one works.
    void stratigraphicFailureLeavesTheWindowAsItWas()
    {
        QStringList noAges = sqlite::stratigraphyColumns();
        noAges.removeLast();
        noAges.removeLast();
        sqlite::create(sqliteFile(),
                       lithology(igneousOnly) + sqlite::rowSet("QryStratParent", noAges,
                                                               {{"Phanerozoic", null(), 100, 1,
                                                                 null(), null(), "Eon"}}));
        LoadedWindow window;
        QVERIFY(window.boxes.boxes().isEmpty());
        window.define("Igneous1");
        window.define("Phanerozoic1");
        QCOMPARE(window.boxes.boxes().size(), 1);
        QCOMPARE(window.boxes.boxes().first().icon, QMessageBox::Critical);
        QVERIFY2(window.boxes.boxes().first().text.contains(QStringLiteral("min_age")),
                 qPrintable(window.boxes.boxes().first().text));
        QCOMPARE(window.probe.description(), QStringLiteral("Igneous: melt"));
        QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 1"));

        window.define("lith6");
        QCOMPARE(window.boxes.boxes().size(), 1);
        QCOMPARE(window.probe.description(), QStringLiteral("Lithology Version 6: "));
        QCOMPARE(window.probe.lbl_level->text(), QString());
    }

    void skippedRowsOfBothHierarchiesShareOneWarning()
    {
        sqlite::create(
            sqliteFile(),
            lithology({{"Igneous", null(), 1, 1, null(), null(), ""},
                       {"Orphan", "Missing", 2, 2, 99, 1, ""}}) +
                stratigraphy({{"Phanerozoic", null(), 100, 1, null(), null(), "Eon", 0, 538.8},
                              {"Lost era", "Nowhere", 200, 2, 98, 100, "Era", 1, 2},
                              {"Paleozoic", "Phanerozoic", 200, 3, 1, 100, "Era", 251.9, 538.8}}));
        LoadedWindow window;
        QCOMPARE(window.boxes.boxes().size(), 1);
        const ShownBox &box = window.boxes.boxes().first();
        QCOMPARE(box.icon, QMessageBox::Warning);
        QVERIFY2(box.text.contains(QStringLiteral("1 row of \"Lithology Version 6\"")),
                 qPrintable(box.text));
        QVERIFY2(box.text.contains(QStringLiteral("1 row of \"Stratigraphic Age\"")),
                 qPrintable(box.text));
        QVERIFY(box.text.contains(QStringLiteral("\"Lost era\" (id 2, parent key \"Nowhere98\")")));
        QCOMPARE(outline(*window.probe.tree, window.probe.tree->item("Strat")),
                 QStringLiteral("Stratigraphic Age(Phanerozoic(Paleozoic))"));
    }

    // The box's text is lines joined by CR LF, and what was written is what
    // reads back, whatever line breaks the data brings.
    void descriptionBoxReadsBackWhatWasWritten_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("one line") << "Granite: coarse";
        QTest::newRow("CR LF between lines") << "a: b\r\nMinimum Age (mya): 1";
        QTest::newRow("an empty line") << "a\r\n\r\nb";
        QTest::newRow("CR LF at the end") << "a\r\n";
        QTest::newRow("a lone line feed") << "a\nb";
        QTest::newRow("a lone carriage return") << "a\rb";
        QTest::newRow("LF CR") << "a\n\rb";
        QTest::newRow("paragraph and line separators") << QStringLiteral("a\u2029b\u2028c");
        QTest::newRow("tabs and form feeds") << "a\tb\fc";
        const QString words = QStringLiteral("grain ").repeated(5000);
        QTest::newRow("a line of 5,000 words") << words;
        QTest::newRow("long lines between line breaks") << words + "\r\n" + words + "\n\r" + words;
        QTest::newRow("a line without spaces") << QString(20000, u'x');
        QTest::newRow("characters in two halves where a line is split")
            << QStringLiteral("\U0001F30B").repeated(5000);
    }
    void descriptionBoxReadsBackWhatWasWritten()
    {
        QFETCH(QString, text);
        DescriptionBox box;
        box.setText(QStringLiteral("before"));
        box.setText(text);
        QCOMPARE(box.text(), text);

        // The editor lays out no long paragraph; what is copied, and what
        // is typed after it, keep the lines whole.
        for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next())
            QVERIFY(block.length() - 1 <= DescriptionBox::longestPiece);
        static const QRegularExpression lineBreak(QStringLiteral("\r\n|[\r\n\u2029]"));
        box.selectAll();
        box.copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString(text).replace(lineBreak, "\n"));
        box.moveCursor(QTextCursor::End);
        QTest::keyClicks(&box, QStringLiteral("!"));
        QCOMPARE(box.text(), QString(text).replace(lineBreak, "\r\n") + u'!');

        box.setText(text + QStringLiteral("\r\nmore"));
        QCOMPARE(box.text(), text + QStringLiteral("\r\nmore"));
    }

    void typedTextReadsBackWithCrLf()
    {
        DescriptionBox box;
        box.setText(QStringLiteral("a\nb"));
        box.moveCursor(QTextCursor::End);
        QTest::keyClicks(&box, QStringLiteral("c"));
        QTest::keyClick(&box, Qt::Key_Return);
        QTest::keyClicks(&box, QStringLiteral("d"));
        QCOMPARE(box.text(), QStringLiteral("a\r\nbc\r\nd"));
        box.setText(QStringLiteral("x\ny"));
        QCOMPARE(box.text(), QStringLiteral("x\ny"));
    }

    // Three terms of the demo data as a user sees them.
    void demoTerms()
    {
        sqlite::create(sqliteFile(), sqlite::demoScript("schema.sqlite.sql") +
                                         sqlite::demoScript("lithology.sql") +
                                         sqlite::demoScript("stratigraphy.sql"));
        LoadedWindow window;
        QVERIFY(window.boxes.boxes().isEmpty());
        const TreeModel &tree = *window.probe.tree;
        QCOMPARE(tree.fullPath(tree.item("Syenogranite104")),
                 QStringLiteral("Lithology Version 6\\Igneous rocks\\Plutonic rocks\\Granitoids\\"
                                "Granite\\Syenogranite"));

        window.define("Syenogranite104");
        QCOMPARE(window.probe.description(),
                 QStringLiteral("Syenogranite: Granite in which alkali feldspar clearly dominates, "
                                "plagioclase making up only 10 to 35 percent of the feldspar."));
        QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 5"));

        window.define("Vogesite180");
        QCOMPARE(window.probe.description(), QStringLiteral("Vogesite: "));
        QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 4"));

        // A unit after a term: the term's level goes with it.
        window.define("Jurassic53");
        QCOMPARE(window.probe.description(), "Jurassic: Period" + ageLines("143.1", "201.4"));
        QCOMPARE(window.probe.lbl_level->text(), QString());
        QVERIFY(window.boxes.boxes().isEmpty());
    }
};

QTEST_MAIN(DetailsTest)
#include "tst_details.moc"
