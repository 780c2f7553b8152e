// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/DataSources.h"
#include "support/LoadedWindow.h"

#include "data/Database.h"
#include "data/Engine.h"
#include "data/Recordset.h"
#include "data/Workspace.h"

#include <QTest>

using namespace kestrelon;
using namespace testsupport;

namespace {

// Rows served by MariaDB that the other engines serve too: ids in a scaled
// DECIMAL column, which the driver hands over padded with zeros: whole ones
// past 2^53 and past 64 bits linked to parents by BIGINT, and a fraction
// past a double's digits; ages as DOUBLE, whole ones past 10^15 too, and as
// scaled DECIMAL; row sets whose names the catalogue spells in another
// case than the program does, so that they are found only there and opened
// backquoted. The role may only read the two views.
const char *hostileSchema = R"SQL(
CREATE TABLE terms (seq INTEGER AUTO_INCREMENT PRIMARY KEY, lithology TEXT, parent TEXT,
                    lith_level SMALLINT, lith_id DECIMAL(40, 6), parent_id BIGINT,
                    parent_level DECIMAL(6, 2), description MEDIUMTEXT);
INSERT INTO terms (lithology, parent, lith_level, lith_id, parent_id, parent_level, description)
VALUES ('Bore', NULL, 1, 9007199254740992, NULL, NULL, 'first bore'),
       ('Bore', NULL, 1, 9007199254740993, NULL, NULL, 'second bore'),
       ('Core', 'Bore', 2, 10, 9007199254740993, 1.00, 'under the second bore'),
       ('Deep', NULL, 1, 123456789012345678901234567890, NULL, NULL, 'thirty digits'),
       ('term0', NULL, 1, 9007199254740993.25, NULL, NULL, 'an exact fraction');
CREATE VIEW QRYLITHPARENT AS
    SELECT lithology AS Lithology, parent AS Parent, lith_level AS Lith_level, lith_id,
           parent_id, parent_level, description
    FROM terms ORDER BY seq;

CREATE TABLE units (seq INTEGER AUTO_INCREMENT PRIMARY KEY, strat_name VARCHAR(80),
                    parent VARCHAR(80), strat_level INTEGER, strat_id DECIMAL(20, 0),
                    parent_id BIGINT, parent_level INTEGER, strat_rank TEXT, min_age DOUBLE,
                    max_age DECIMAL(30, 6));
INSERT INTO units (strat_name, parent, strat_level, strat_id, parent_id, parent_level,
                   strat_rank, min_age, max_age)
VALUES ('Cenozoic', NULL, 100, 2, NULL, NULL, 'Era', 0, 66.0),
       ('Holocene', 'Cenozoic', 200, 9007199254740993, 2, 100, 'Epoch', 0, 0.0117),
       ('Deep time', NULL, 100, 4, NULL, NULL, 'Eon', 1e20, 250000000000000000.5),
       ('Deep time', NULL, 900, 5, NULL, NULL, 'Eon', 2.5e17, -0.000001);
CREATE VIEW qrystratparent AS
    SELECT strat_name, parent, strat_level, strat_id, parent_id, parent_level, strat_rank,
           min_age, max_age
    FROM units ORDER BY seq;

GRANT SELECT ON QRYLITHPARENT TO 'user'@'127.0.0.1';
GRANT SELECT ON qrystratparent TO 'user'@'127.0.0.1';
)SQL";

// A view without ORDER BY over a table with an index that covers the name
// and level: the server may answer a narrower query from the index, in
// another order than the view's own.
const char *indexedSchema = R"SQL(
CREATE TABLE terms (seq INTEGER AUTO_INCREMENT PRIMARY KEY, Lithology VARCHAR(80),
                    Parent VARCHAR(80), Lith_level INTEGER, lith_id INTEGER, parent_id INTEGER,
                    parent_level INTEGER, description TEXT);
CREATE INDEX terms_name_level ON terms (Lithology, Lith_level);
INSERT INTO terms (Lithology, Parent, Lith_level, lith_id, parent_id, parent_level, description)
VALUES ('Sand', NULL, 1, 1, NULL, NULL, 'grains'),
       ('Clay', 'Sand', 2, 2, 1, 1, 'fine grains'),
       ('Clay', NULL, 1, 3, NULL, NULL, 'first level');
CREATE VIEW QryLithParent AS
    SELECT Lithology, Parent, Lith_level, lith_id, parent_id, parent_level, description
    FROM terms;
GRANT SELECT ON QryLithParent TO 'user'@'127.0.0.1';
)SQL";

void useDatabase(const QString &database, const char *schema)
{
    QCOMPARE(mariadb::recreate(database, QString::fromUtf8(schema)), 0);
    useOdbcIni(mariadbDataSource(database));
}

} // namespace

// The program against a real MariaDB server, through Debian's Connector/ODBC,
// as an account that may only read the two views. Each case runs in a
// process of its own, on a database of its own.
class MariadbTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { REQUIRE_MARIADB(); }

    // The demo start-up: both hierarchies whole, every node with its own
    // row's description (the driver's block reads go wrong quietly), and
    // "Define" on a term and on a unit.
    void demo()
    {
        useOdbcIni(mariadbDataSource());
        LoadedWindow window;
        QVERIFY(window.boxes.boxes().isEmpty());
        QVERIFY(!window.form.isUnloaded());
        const TreeModel &tree = *window.probe.tree;
        QCOMPARE(window.probe.rootTexts(),
                 (QStringList{"Lithology Version 6", "Stratigraphic Age"}));
        QCOMPARE(tree.nodeCount(), 2 + 266 + 177);

        // A rewindable cursor reads a row a fetch: the descriptions as stored.
        auto rows = Engine::instance()
                        ->createWorkspace("ds_hier", "user", "tamarisk")
                        ->openDatabase("ds_hier")
                        ->openRecordset("QryLithParent", CursorType::Rewindable);
        int terms = 0;
        for (; !rows->eof(); rows->moveNext(), ++terms) {
            const QString key = rows->field("Lithology").toText() + rows->field("lith_id").toText();
            QCOMPARE(tree.tag(tree.item(key)), rows->field("description"));
        }
        QCOMPARE(terms, 266);

        window.define("Granite103");
        QVERIFY(window.boxes.boxes().isEmpty());
        QCOMPARE(window.probe.description(),
                 "Granite: " + tree.tag(tree.item("Granite103")).toText());
        QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 4"));
        window.define("Holocene4");
        QVERIFY(window.boxes.boxes().isEmpty());
        QCOMPARE(window.probe.description(),
                 QStringLiteral("Holocene: Epoch\r\nMinimum Age (mya): 0\r\n"
                                "Maximum Age (mya): 0.0117"));
    }

    void serverTypesAndNames()
    {
        useDatabase(QStringLiteral("kestrelon_hostile"), hostileSchema);
        LoadedWindow window;
        QVERIFY2(window.boxes.boxes().isEmpty(), qPrintable(window.boxes.boxes().value(0).text));
        const TreeModel &tree = *window.probe.tree;
        QCOMPARE(outline(tree, tree.item("lith6")),
                 QStringLiteral("Lithology Version 6(Bore,Bore(Core),Deep,term0)"));
        QCOMPARE(outline(tree, tree.item("Strat")),
                 QStringLiteral("Stratigraphic Age(Cenozoic(Holocene),Deep time)"));
        QCOMPARE(tree.key(tree.parentOf(tree.item("Core10"))),
                 QStringLiteral("Bore9007199254740993"));

        window.define("Deep123456789012345678901234567890");
        QCOMPARE(window.probe.description(), QStringLiteral("Deep: thirty digits"));
        QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 1"));
        window.define("Core10");
        QCOMPARE(window.probe.description(), QStringLiteral("Core: under the second bore"));
        QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 2"));
        window.define("term09007199254740993.25");
        QCOMPARE(window.probe.description(), QStringLiteral("term0: an exact fraction"));
        QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 1"));
        window.define("Holocene9007199254740993");
        QCOMPARE(window.probe.description(),
                 QStringLiteral("Holocene: Epoch\r\nMinimum Age (mya): 0\r\n"
                                "Maximum Age (mya): 0.0117"));
        QCOMPARE(window.probe.lbl_level->text(), QString());
        window.define("Deep time4");
        QCOMPARE(window.probe.description(),
                 QStringLiteral("Deep time: Eon\r\nMinimum Age (mya): 100000000000000000000\r\n"
                                "Maximum Age (mya): 250000000000000000.5\r\n"
                                "Minimum Age (mya): 250000000000000000\r\n"
                                "Maximum Age (mya): -0.000001"));
        QVERIFY(window.boxes.boxes().isEmpty());
    }

    // The level shown is that of the last matching row in the view's order.
    void rowOrderOnAnIndexedView()
    {
        useDatabase(QStringLiteral("kestrelon_indexed"), indexedSchema);
        LoadedWindow window;
        QVERIFY(window.boxes.boxes().isEmpty());
        window.define("Clay3");
        QCOMPARE(window.probe.description(), QStringLiteral("Clay: first level"));
        QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 1"));
    }
};

QTEST_MAIN(MariadbTest)
#include "tst_mariadb.moc"
