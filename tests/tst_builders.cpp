// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/DataSources.h"
#include "support/FormProbe.h"
#include "support/SqliteFile.h"

#include "data/Database.h"
#include "data/Engine.h"
#include "data/Error.h"
#include "data/Recordset.h"
#include "data/Workspace.h"
#include "tree/HierarchyBuilder.h"
#include "tree/LithologyBuilder.h"
#include "tree/StratigraphyBuilder.h"
#include "tree/TreeModel.h"

#include <QTest>

using namespace kestrelon;
using namespace testsupport;

using Rows = QList<QVariantList>;
Q_DECLARE_METATYPE(Rows)

namespace {

QStringList skippedNames(const BuildReport &report)
{
    QStringList names;
    for (const SkippedRow &row : report.firstSkipped())
        names << row.name;
    return names;
}

// What every build leaves: the root open, without a picture, sorting its
// children or not; every other node closed, unsorted, with the closed folder.
void checkBuilt(const TreeModel &tree, TreeModel::Node root, bool sortedRoot)
{
    QVERIFY(tree.isExpanded(root));
    QCOMPARE(tree.isSorted(root), sortedRoot);
    QCOMPARE(tree.image(root), int(TreeModel::NoImage));
    for (TreeModel::Node node = 1; node < tree.nodeCount(); ++node) {
        QCOMPARE(tree.image(node), 1);
        QVERIFY(!tree.isExpanded(node));
        QVERIFY(!tree.isSorted(node));
    }
}

QVariant null()
{
    return QVariant();
}

} // namespace

class BuildersTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useOdbcIni(sqliteDataSource(sqliteFile())); }

    void lithology_data()
    {
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("skipped");

        QTest::newRow("empty row set") << Rows{} << "Lithology Version 6" << QStringList{};
        QTest::newRow("several levels")
            << Rows{{"Igneous", null(), 1, 1, null(), null(), "melt"},
                    {"Granite", "Igneous", 2, 2, 1, 1, "coarse"},
                    {"Pink granite", "Granite", 3, 3, 2, 2, "pink"}}
            << "Lithology Version 6(Igneous(Granite(Pink granite)))" << QStringList{};
        QTest::newRow("first level sorted, deeper levels in row order")
            << Rows{{"Sedimentary", null(), 1, 1, null(), null(), ""},
                    {"igneous", null(), 1, 2, null(), null(), ""},
                    {"Shale", "Sedimentary", 2, 3, 1, 1, ""},
                    {"Chalk", "Sedimentary", 2, 4, 1, 1, ""}}
            << "Lithology Version 6(igneous,Sedimentary(Shale,Chalk))" << QStringList{};
        QTest::newRow("level 1 goes under the root whatever its parent")
            << Rows{{"Igneous", null(), 1, 1, null(), null(), ""},
                    {"Metamorphic", "Igneous", 1, 2, 1, 1, ""}}
            << "Lithology Version 6(Igneous,Metamorphic)" << QStringList{};
        QTest::newRow("rows that do not qualify add nothing")
            << Rows{{"Igneous", null(), 1, 1, null(), null(), ""},
                    {"no level", "Igneous", null(), 2, 1, 1, ""},
                    {"no parent level", "Igneous", 2, 3, 1, null(), ""},
                    {"two levels down", "Igneous", 3, 4, 1, 1, ""},
                    {"same level", "Igneous", 1, 5, 1, 1, ""}}
            << "Lithology Version 6(Igneous,same level)" << QStringList{};
        QTest::newRow("child before its parent is skipped")
            << Rows{{"Granite", "Igneous", 2, 2, 1, 1, ""},
                    {"Igneous", null(), 1, 1, null(), null(), ""}}
            << "Lithology Version 6(Igneous)" << QStringList{"Granite"};
        QTest::newRow("duplicate key is skipped")
            << Rows{{"Igneous", null(), 1, 1, null(), null(), "first"},
                    {"Igneous", null(), 1, 1, null(), null(), "second"}}
            << "Lithology Version 6(Igneous)" << QStringList{"Igneous"};
        QTest::newRow("joined keys collide") << Rows{{"a1", null(), 1, 1, null(), null(), ""},
                                                     {"a", null(), 1, 11, null(), null(), ""}}
                                             << "Lithology Version 6(a1)" << QStringList{"a"};
        QTest::newRow("key equal to the root's") << Rows{{"lith", null(), 1, 6, null(), null(), ""}}
                                                 << "Lithology Version 6" << QStringList{"lith"};
        QTest::newRow("same term under two parents")
            << Rows{{"A", null(), 1, 1, null(), null(), ""},
                    {"B", null(), 1, 2, null(), null(), ""},
                    {"Mix", "A", 2, 3, 1, 1, ""},
                    {"Mix", "B", 2, 3, 2, 1, ""}}
            << "Lithology Version 6(A(Mix),B)" << QStringList{"Mix"};
        QTest::newRow("null name keys by id alone")
            << Rows{{null(), null(), 1, 5, null(), null(), ""}, {"child", null(), 2, 6, 5, 1, ""}}
            << "Lithology Version 6((child))" << QStringList{};
        QTest::newRow("null name and null id is skipped")
            << Rows{{null(), null(), 1, null(), null(), null(), ""},
                    {"Igneous", null(), 1, 1, null(), null(), ""}}
            << "Lithology Version 6(Igneous)" << QStringList{"Null"};
    }
    void lithology()
    {
        QFETCH(Rows, rows);
        QFETCH(QString, expected);
        QFETCH(QStringList, skipped);
        auto db = openSqlite(sqlite::rowSet("QryLithParent", sqlite::lithologyColumns(), rows));
        auto cursor = db->openRecordset(QStringLiteral("QryLithParent"));
        TreeModel tree;
        const BuildReport report = buildLithology(*cursor, tree);

        const auto root = tree.item(QStringLiteral("lith6"));
        QCOMPARE(outline(tree, root), expected);
        QCOMPARE(skippedNames(report), skipped);
        QCOMPARE(report.skippedCount(), skipped.size());
        checkBuilt(tree, root, /*sortedRoot=*/true);
        QVERIFY(cursor->eof());
    }

    // Each row left out names its own fault: a row whose level spells no
    // number is named even without a parent level, and its children point
    // at it rather than at a key nobody holds.
    void leftOutRowsSayWhy_data()
    {
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QStringList>("reasons"); // "name: reason", in row order
        QTest::newRow("levels that spell no number")
            << Rows{{"Word", null(), "one", 1, null(), null(), ""},
                    {"Comma", null(), "1,0", 2, null(), null(), ""},
                    {"Wide", null(), QString::fromUtf8("\uFF11"), 3, null(), null(), ""},
                    {"Under", "Word", 2, 4, 1, 1, ""},
                    {"Deeper", "Under", 3, 5, 4, 2, ""},
                    {"Text", "Word", "x", 6, 1, 1, ""}}
            << QStringList{QString("Word: Type mismatch: the level \"one\" is not a number"),
                           QString("Comma: Type mismatch: the level \"1,0\" is not a number"),
                           QString::fromUtf8("Wide: Type mismatch: the level \"\uFF11\" is not "
                                             "a number"),
                           QString("Under: Element not found: its parent \"Word1\" was left out"),
                           QString("Deeper: Element not found: its parent \"Under4\" was left "
                                   "out"),
                           QString("Text: Type mismatch: \"x\" is not a number")};
        QTest::newRow("a parent that never came, and a duplicate parent")
            << Rows{{"Lost", "Nobody", 2, 1, 9, 1, ""},
                    {"Sand", null(), 1, 2, null(), null(), "first"},
                    {"Sand", null(), 1, 2, null(), null(), "again"},
                    {"Grain", "Sand", 2, 3, 2, 1, "placed under the first Sand"},
                    {"Dust", "Lost", 3, 4, 1, 2, ""}}
            << QStringList{QString("Lost: Element not found: no node has the key \"Nobody9\""),
                           QString("Sand: Key is not unique in collection: \"Sand2\""),
                           QString("Dust: Element not found: its parent \"Lost1\" was left out")};
        QTest::newRow("no level and no parent level adds nothing, unnamed")
            << Rows{{"Blank", null(), null(), 1, null(), null(), ""}} << QStringList{};
    }
    void leftOutRowsSayWhy()
    {
        QFETCH(Rows, rows);
        QFETCH(QStringList, reasons);
        auto db = openSqlite(
            sqlite::rowSet("QryLithParent",
                           {"Lithology TEXT", "Parent TEXT", "Lith_level TEXT", "lith_id INTEGER",
                            "parent_id INTEGER", "parent_level TEXT", "description TEXT"},
                           rows));
        auto cursor = db->openRecordset(QStringLiteral("QryLithParent"));
        TreeModel tree;
        const BuildReport report = buildLithology(*cursor, tree);
        QStringList found;
        for (const SkippedRow &row : report.firstSkipped())
            found << row.name + QStringLiteral(": ") + row.reason;
        QCOMPARE(found, reasons);
    }

    void lithologyNodesKeepKeysAndDescriptions()
    {
        auto db = openSqlite(
            sqlite::rowSet("QryLithParent", sqlite::lithologyColumns(),
                           {{"Igneous", null(), 1, 1, null(), null(), "Formed from melt."},
                            {"Granite", "Igneous", 2, 12, 1, 1, null()}}));
        auto cursor = db->openRecordset(QStringLiteral("QryLithParent"));
        TreeModel tree;
        buildLithology(*cursor, tree);
        QCOMPARE(tree.tag(tree.item("Igneous1")).toText(), QStringLiteral("Formed from melt."));
        QVERIFY(tree.tag(tree.item("Granite12")).isNull());
        QCOMPARE(tree.fullPath(tree.item("Granite12")),
                 QStringLiteral("Lithology Version 6\\Igneous\\Granite"));
    }

    void missingColumnEndsTheBuildWithTheRootAlone()
    {
        QStringList columns = sqlite::lithologyColumns();
        columns.removeLast(); // no "description"
        auto db = openSqlite(
            sqlite::rowSet("QryLithParent", columns, {{"Igneous", null(), 1, 1, null(), null()}}));
        auto cursor = db->openRecordset(QStringLiteral("QryLithParent"));
        TreeModel tree;
        try {
            buildLithology(*cursor, tree);
            QFAIL("the build went on without a column");
        } catch (const Error &error) {
            QCOMPARE(error.number(), int(ColumnNotFound));
            QVERIFY(error.description().contains(QStringLiteral("description")));
        }
        QCOMPARE(tree.nodeCount(), 1);
    }

    // The builder reads rows some way ahead of the one it places: a source
    // that fails still has every row before the failure placed first.
    void sourceFailureComesAfterTheRowsBeforeIt_data()
    {
        QTest::addColumn<int>("goodRows");
        for (const int rows : {0, 1, 10, 15, 16, 17, 40})
            QTest::addRow("failing after %d rows", rows) << rows;
    }
    void sourceFailureComesAfterTheRowsBeforeIt()
    {
        // Even rows are first-level terms, odd rows children of the row before.
        class FailingSource : public HierarchyRowSource
        {
        public:
            explicit FailingSource(int goodRows) : goodRows_(goodRows) {}
            bool next(HierarchyRow &row) override
            {
                if (read_ == goodRows_)
                    throw Error(OdbcCallFailed, QStringLiteral("lost after %1").arg(read_));
                const int id = ++read_;
                const bool child = id % 2 == 0;
                row.name = FieldValue::text(QStringLiteral("Term"));
                row.id = FieldValue::whole(id);
                row.level = FieldValue::whole(child ? 2 : 1);
                row.parent = child ? FieldValue::text(QStringLiteral("Term")) : FieldValue::null();
                row.parentId = child ? FieldValue::whole(id - 1) : FieldValue::null();
                row.parentLevel = child ? FieldValue::whole(1) : FieldValue::null();
                row.tag = FieldValue::whole(id);
                return true;
            }

        private:
            int goodRows_;
            int read_ = 0;
        };

        QFETCH(int, goodRows);
        FailingSource source(goodRows);
        TreeModel tree;
        try {
            buildHierarchy(source, tree, lithologyRules());
            QFAIL("the failure of the source was lost");
        } catch (const Error &error) {
            QCOMPARE(error.number(), int(OdbcCallFailed));
            QCOMPARE(error.description(), QStringLiteral("lost after %1").arg(goodRows));
        }
        QCOMPARE(tree.nodeCount(), 1 + goodRows);
        for (int id = 2; id <= goodRows; id += 2)
            QCOMPARE(tree.parentOf(tree.item(QStringLiteral("Term%1").arg(id))),
                     tree.item(QStringLiteral("Term%1").arg(id - 1)));
    }

    void stratigraphy_data()
    {
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("skipped");
        QTest::newRow("empty") << Rows{} << "Stratigraphic Age" << QStringList{};
        QTest::newRow("steps of 100 and 50, nothing else")
            << Rows{{"Phanerozoic", null(), 100, 1, null(), null(), "Eon", 0, 538.8},
                    {"Paleozoic", "Phanerozoic", 200, 2, 1, 100, "Era", 251.9, 538.8},
                    {"Carboniferous", "Paleozoic", 300, 3, 2, 200, "Period", 298.9, 358.9},
                    {"Mississippian", "Carboniferous", 350, 4, 3, 300, "Sub-period", 323.2, 358.9},
                    {"zero step", "Paleozoic", 200, 5, 2, 200, "x", null(), null()},
                    {"step of 150", "Paleozoic", 350, 6, 2, 200, "x", null(), null()},
                    {"negative step", "Carboniferous", 200, 7, 3, 300, "x", null(), null()},
                    {"null level", "Paleozoic", null(), 8, 2, 200, "x", null(), null()},
                    {"null parent level", "Paleozoic", 300, 9, 2, null(), "x", null(), null()}}
            << "Stratigraphic Age(Phanerozoic(Paleozoic(Carboniferous(Mississippian))))"
            << QStringList{};
        QTest::newRow("row order, not alphabetical")
            << Rows{{"Phanerozoic", null(), 100, 1, null(), null(), "Eon", 0, 538.8},
                    {"Archean", null(), 100, 2, null(), null(), "Eon", 2500, 4031}}
            << "Stratigraphic Age(Phanerozoic,Archean)" << QStringList{};
        QTest::newRow("level 100 goes under the root whatever its parent")
            << Rows{{"Phanerozoic", null(), 100, 1, null(), null(), "Eon", 0, 538.8},
                    {"Archean", "Phanerozoic", 100, 2, 1, 100, "Eon", 2500, 4031}}
            << "Stratigraphic Age(Phanerozoic,Archean)" << QStringList{};
        QTest::newRow("a step of 50 from a half step")
            << Rows{{"Paleozoic", null(), 100, 2, null(), null(), "Era", 251.9, 538.8},
                    {"Carboniferous", "Paleozoic", 200, 3, 2, 100, "Period", 298.9, 358.9},
                    {"Mississippian", "Carboniferous", 250, 4, 3, 200, "Sub-period", 323.2, 358.9},
                    {"Late Mississippian", "Mississippian", 300, 5, 4, 250, "Epoch", 323.2, 330.9},
                    {"Serpukhovian", "Late Mississippian", 350, 6, 5, 300, "Age", 323.2, 330.9}}
            << "Stratigraphic Age(Paleozoic(Carboniferous(Mississippian(Late "
               "Mississippian(Serpukhovian)))))"
            << QStringList{};
        QTest::newRow("a Null parent name keys the parent by its id alone")
            << Rows{{null(), null(), 100, 7, null(), null(), "Eon", 0, 1},
                    {"Child", null(), 200, 8, 7, 100, "Era", 0, 1}}
            << "Stratigraphic Age((Child))" << QStringList{};
        QTest::newRow("a qualifying child before its parent is skipped, later rows go on")
            << Rows{{"Cenozoic", "Phanerozoic", 200, 2, 1, 100, "Era", 0, 66},
                    {"Phanerozoic", null(), 100, 1, null(), null(), "Eon", 0, 538.8},
                    {"Mesozoic", "Phanerozoic", 200, 3, 1, 100, "Era", 66, 251.9}}
            << "Stratigraphic Age(Phanerozoic(Mesozoic))" << QStringList{"Cenozoic"};
    }
    void stratigraphy()
    {
        QFETCH(Rows, rows);
        QFETCH(QString, expected);
        QFETCH(QStringList, skipped);
        auto db = openSqlite(sqlite::rowSet("QryStratParent", sqlite::stratigraphyColumns(), rows));
        auto cursor = db->openRecordset(QStringLiteral("QryStratParent"), CursorType::Rewindable);
        // An earlier reader left the cursor at its end: the builder starts over.
        while (!cursor->eof())
            cursor->moveNext();
        TreeModel tree;
        const BuildReport report = buildStratigraphy(*cursor, tree);
        const auto root = tree.item(QStringLiteral("Strat"));
        QCOMPARE(outline(tree, root), expected);
        QCOMPARE(skippedNames(report), skipped);
        checkBuilt(tree, root, /*sortedRoot=*/false);
        QVERIFY(cursor->eof());
    }

    void stratigraphyTagsAreRanks()
    {
        auto db = openSqlite(
            sqlite::rowSet("QryStratParent", sqlite::stratigraphyColumns(),
                           {{"Phanerozoic", null(), 100, 1, null(), null(), "Eon", 0, 538.8},
                            {"Cenozoic", "Phanerozoic", 200, 2, 1, 100, null(), 0, 66}}));
        auto cursor = db->openRecordset(QStringLiteral("QryStratParent"), CursorType::Rewindable);
        TreeModel tree;
        buildStratigraphy(*cursor, tree);
        QCOMPARE(tree.tag(tree.item("Phanerozoic1")).toText(), QStringLiteral("Eon"));
        QVERIFY(tree.tag(tree.item("Cenozoic2")).isNull());
    }

    void bothHierarchiesShareOneKeySpace()
    {
        auto db = openSqlite(
            sqlite::rowSet("QryLithParent", sqlite::lithologyColumns(),
                           {{"Shale", null(), 1, 7, null(), null(), ""}}) +
            sqlite::rowSet("QryStratParent", sqlite::stratigraphyColumns(),
                           {{"Shale", null(), 100, 7, null(), null(), "Eon", 1, 2},
                            {"Strat", null(), 100, null(), null(), null(), "Eon", 1, 2}}));
        TreeModel tree;
        auto lith = db->openRecordset(QStringLiteral("QryLithParent"));
        buildLithology(*lith, tree);
        auto strat = db->openRecordset(QStringLiteral("QryStratParent"), CursorType::Rewindable);
        const BuildReport report = buildStratigraphy(*strat, tree);
        QCOMPARE(skippedNames(report), (QStringList{"Shale", "Strat"}));
        QCOMPARE(tree.childCount(tree.item("Strat")), 0);
    }
};

QTEST_GUILESS_MAIN(BuildersTest)
#include "tst_builders.moc"
