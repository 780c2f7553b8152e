// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/BoxCatcher.h"
#include "support/DataSources.h"
#include "support/FormProbe.h"
#include "support/ShownTexts.h"

#include <QTest>

using namespace kestrelon;
using namespace testsupport;

namespace {

const QString database = QStringLiteral("hostile");

// A database of the test's own on the test server, with the types a server
// brings that SQLite does not (smallint, bigint, numeric, double precision),
// quoted column names in mixed case, and a role that may only read the views.
// Ids are numbers in a scaled numeric column, which the driver hands over
// padded with zeros: whole ones past 2^53 and past 64 bits that link to
// parents by bigint, and a fraction past a double's digits. Ages come as
// double precision, whole ones past 10^15 too, and as scaled numeric. The views are created
// unquoted, in lower case; a schema the role may not use holds decoys spelled exactly as the
// program names its row sets.
const char *schema = R"SQL(
CREATE TABLE terms (seq serial PRIMARY KEY, lithology text, parent text, lith_level smallint,
                    lith_id numeric(40, 6), parent_id bigint, parent_level numeric(6, 2),
                    description text);
INSERT INTO terms (lithology, parent, lith_level, lith_id, parent_id, parent_level, description)
VALUES ('Igneous', NULL, 1, 4294967296, NULL, NULL, 'melt 🌋'),
       ('Granite', 'Igneous', 2, 9223372036854775807, 4294967296, 1.00, E'coarse\r\nsecond line'),
       ('גרניט', 'Igneous', 2, 3, 4294967296, 1, 'RTL'),
       ('Half', 'Igneous', 2, 4, 4294967296, 1.50, 'one half level down: not a child'),
       ('  Padded ', NULL, 1, 5, NULL, NULL, NULL),
       ('Orphan', 'Nobody', 2, 6, 99, 1, 'no such parent'),
       ('Igneous', NULL, 1, 4294967296, NULL, NULL, 'the same key again'),
       (NULL, NULL, 1, 7, NULL, NULL, 'nameless'),
       ('Padded', NULL, 3, 8, NULL, NULL, 'a later level for the padded name'),
       ('Bore', NULL, 1, 9007199254740992, NULL, NULL, 'first bore'),
       ('Bore', NULL, 1, 9007199254740993, NULL, NULL, 'second bore'),
       ('Core', 'Bore', 2, 10, 9007199254740993, 1, 'under the second bore'),
       ('Deep', NULL, 1, 123456789012345678901234567890, NULL, NULL, 'thirty digits'),
       ('Fraction', NULL, 1, 9007199254740993.25, NULL, NULL, 'an exact fraction');
CREATE VIEW QryLithParent AS
    SELECT seq AS "Extra", lith_level AS "LITH_LEVEL", lithology AS "Lithology", parent,
           lith_id, parent_id, parent_level AS "Parent_Level", description
    FROM terms ORDER BY seq;

CREATE TABLE units (seq serial PRIMARY KEY, strat_name varchar(80), parent varchar(80),
                    strat_level integer, strat_id numeric(20, 0), parent_id bigint,
                    parent_level integer, strat_rank text, min_age double precision,
                    max_age numeric(30, 6));
INSERT INTO units (strat_name, parent, strat_level, strat_id, parent_id, parent_level,
                   strat_rank, min_age, max_age)
VALUES ('Phanerozoic', NULL, 100, 1, NULL, NULL, 'Eon', 0, 538.8),
       ('Cenozoic', 'Phanerozoic', 200, 2, 1, 100, 'Era', 0, 66.0),
       ('Cenozoic', 'Phanerozoic', 900, 3, 1, 100, 'Era', NULL, 0.0117),
       ('Holocene', 'Cenozoic', 300, 9007199254740993, 2, 200, 'Epoch', 0, 0.0117),
       ('Deep time', NULL, 100, 4, NULL, NULL, 'Eon', 1e20, 250000000000000000.5),
       ('Deep time', NULL, 900, 5, NULL, NULL, 'Eon', 1e15, 12.5),
       ('Deep time', NULL, 900, 6, NULL, NULL, 'Eon', 2.5e17, -0.000001);
CREATE VIEW QryStratParent AS
    SELECT strat_name, parent, strat_level, strat_id, parent_id, parent_level, strat_rank,
           min_age, max_age
    FROM units ORDER BY seq;

CREATE SCHEMA archive;
CREATE VIEW archive."QryLithParent" AS SELECT 'decoy' AS lithology;
CREATE VIEW archive."QryStratParent" AS SELECT 'decoy' AS strat_name;
GRANT SELECT ON archive."QryLithParent", archive."QryStratParent" TO "user";

GRANT CONNECT ON DATABASE hostile TO "user";
GRANT USAGE ON SCHEMA public TO "user";
REVOKE ALL ON TABLE terms, units FROM "user";
GRANT SELECT ON TABLE QryLithParent, QryStratParent TO "user";
)SQL";

struct Press
{
    QString key;
    QString description;
    QString level;
};

} // namespace

// Hostile rows served by PostgreSQL, through its ODBC driver, to the window.
class HostilePostgresTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        REQUIRE_POSTGRES();
        ShownTexts::instance().collectLogLines();
        postgres::run(QStringLiteral("postgres"),
                      QStringLiteral("DROP DATABASE IF EXISTS %1").arg(database));
        QCOMPARE(postgres::run(QStringLiteral("postgres"),
                               QStringLiteral("CREATE DATABASE %1").arg(database)),
                 0);
        QCOMPARE(postgres::run(database, QString::fromUtf8(schema)), 0);
        QVERIFY(postgres::userOnlyReads(database));
        useOdbcIni(postgresDataSource(database));
    }

    void cleanupTestCase()
    {
        const QStringList leaks = ShownTexts::instance().containing(QStringLiteral("tamarisk"));
        QVERIFY2(leaks.isEmpty(), qPrintable(leaks.join(u'\n')));
        postgres::run(QStringLiteral("postgres"),
                      QStringLiteral("DROP DATABASE IF EXISTS %1").arg(database));
    }

    void serverTypesAndNames()
    {
        BoxCatcher boxes;
        Form1 form;
        auto collect = qScopeGuard([&] {
            ShownTexts::instance().addBoxes(boxes);
            ShownTexts::instance().addWindow(form);
        });
        form.Form_Load();
        const FormProbe probe(form);

        QVERIFY(!form.isUnloaded());
        QCOMPARE(boxes.boxes().size(), 1);
        const ShownBox &warning = boxes.boxes().first();
        QCOMPARE(warning.icon, QMessageBox::Warning);
        QVERIFY2(warning.text.startsWith(QStringLiteral("2 rows of \"Lithology Version 6\"")),
                 qPrintable(warning.text));
        QVERIFY(warning.text.contains(QStringLiteral("- \"Orphan\" (id 6")));
        QVERIFY(warning.text.contains(QStringLiteral("- \"Igneous\" (id 4294967296")));

        QCOMPARE(
            outline(*probe.tree, probe.tree->item(QStringLiteral("lith6"))),
            QStringLiteral(
                u"Lithology Version 6(,  Padded ,Bore,Bore(Core),Deep,Fraction,Igneous(Granite,"
                u"גרניט))"));
        QCOMPARE(outline(*probe.tree, probe.tree->item(QStringLiteral("Strat"))),
                 QStringLiteral("Stratigraphic Age(Phanerozoic(Cenozoic(Holocene)),Deep time)"));
        const TreeModel::Node core = probe.tree->item(QStringLiteral("Core10"));
        QCOMPARE(probe.tree->key(probe.tree->parentOf(core)),
                 QStringLiteral("Bore9007199254740993"));

        const QList<Press> presses{
            {QStringLiteral("Bore9007199254740992"), QStringLiteral("Bore: first bore"),
             QStringLiteral("Level: 1")},
            {QStringLiteral("Deep123456789012345678901234567890"),
             QStringLiteral("Deep: thirty digits"), QStringLiteral("Level: 1")},
            {QStringLiteral("Holocene9007199254740993"),
             QStringLiteral("Holocene: Epoch\r\nMinimum Age (mya): 0\r\nMaximum Age (mya): 0.0117"),
             QString()},
            {QStringLiteral("Fraction9007199254740993.25"),
             QStringLiteral("Fraction: an exact fraction"), QStringLiteral("Level: 1")},
            {QStringLiteral("Deep time4"),
             QStringLiteral("Deep time: Eon\r\nMinimum Age (mya): 100000000000000000000\r\n"
                            "Maximum Age (mya): 250000000000000000.5\r\n"
                            "Minimum Age (mya): 1000000000000000\r\nMaximum Age (mya): 12.5\r\n"
                            "Minimum Age (mya): 250000000000000000\r\n"
                            "Maximum Age (mya): -0.000001"),
             QString()},
            {QStringLiteral("Granite9223372036854775807"),
             QStringLiteral("Granite: coarse\r\nsecond line"), QStringLiteral("Level: 2")},
            {QStringLiteral("Igneous4294967296"), QStringLiteral(u"Igneous: melt 🌋"),
             QStringLiteral("Level: 1")},
            {QStringLiteral("  Padded 5"), QStringLiteral("  Padded : "),
             QStringLiteral("Level: 3")},
            {QStringLiteral("7"), QStringLiteral(": nameless"), QString()},
            {QStringLiteral(u"גרניט3"), QStringLiteral(u"גרניט: RTL"), QStringLiteral("Level: 2")},
            {QStringLiteral("Cenozoic2"),
             QStringLiteral("Cenozoic: Era\r\nMinimum Age (mya): 0\r\nMaximum Age (mya): 66\r\n"
                            "Minimum Age (mya): \r\nMaximum Age (mya): 0.0117"),
             QString()},
        };
        for (const Press &press : presses) {
            probe.select(press.key);
            QVERIFY(probe.pressDefine());
            QCOMPARE(boxes.boxes().size(), 1);
            QCOMPARE(probe.description(), press.description);
            QCOMPARE(probe.lbl_level->text(), press.level);
        }
    }
};

QTEST_MAIN(HostilePostgresTest)
#include "tst_hostile_postgres.moc"
