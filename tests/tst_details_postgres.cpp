// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/DataSources.h"
#include "support/LoadedWindow.h"
#include "support/ProgressCanceller.h"

#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace kestrelon;
using namespace testsupport;

namespace {

const QString database = QStringLiteral("kestrelon_details");

// A small vocabulary of its own, so that its views can be changed under an
// open window without touching the demo database other tests read. Its
// views keep their mixed-case names quoted, as tools that move databases
// from desktop engines to servers leave them.
const QString fixture = QStringLiteral(R"(
CREATE TABLE lith_rows (pos serial, lithology text, parent text, lith_level integer,
                        lith_id integer, parent_id integer, parent_level integer, description text);
INSERT INTO lith_rows (lithology, parent, lith_level, lith_id, parent_id, parent_level, description)
VALUES ('Igneous', NULL, 1, 1, NULL, NULL, 'melt'), ('Granite', 'Igneous', 2, 2, 1, 1, 'coarse');
CREATE TABLE strat_rows (pos serial, strat_name text, parent text, strat_level integer,
                         strat_id integer, parent_id integer, parent_level integer,
                         strat_rank text, min_age double precision, max_age double precision);
INSERT INTO strat_rows (strat_name, parent, strat_level, strat_id, parent_id, parent_level,
                        strat_rank, min_age, max_age)
VALUES ('Phanerozoic', NULL, 100, 1, NULL, NULL, 'Eon', 0, 538.8),
       ('Paleozoic', 'Phanerozoic', 200, 2, 1, 100, 'Era', 251.9, 538.8);
CREATE VIEW "QryStratParent" AS
    SELECT strat_name, parent, strat_level, strat_id, parent_id, parent_level, strat_rank,
           min_age, max_age FROM strat_rows ORDER BY pos;
GRANT CONNECT ON DATABASE kestrelon_details TO "user";
GRANT USAGE ON SCHEMA public TO "user";
GRANT SELECT ON "QryStratParent" TO "user";
)");

// Makes "QryLithParent" the given columns of the lithology rows.
QString lithologyView(const QString &columns)
{
    return QStringLiteral(
               "DROP VIEW IF EXISTS \"QryLithParent\";\n"
               "CREATE VIEW \"QryLithParent\" AS SELECT %1 FROM lith_rows ORDER BY pos;\n"
               "GRANT SELECT ON \"QryLithParent\" TO \"user\";\n")
        .arg(columns);
}

const QString allLithologyColumns =
    QStringLiteral("lithology, parent, lith_level, lith_id, parent_id, parent_level, description");

const QString paleozoicText =
    QStringLiteral("Paleozoic: Era\r\nMinimum Age (mya): 251.9\r\nMaximum Age (mya): 538.8");

// A run-time error report: its number, then its description.
void verifyErrorBox(const ShownBox &box)
{
    static const QRegularExpression report(QStringLiteral("^Run-time error '-?\\d+':\\n\\n\\S"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
    QVERIFY2(report.match(box.text).hasMatch(), qPrintable(box.text));
    QVERIFY(!box.text.contains(QStringLiteral("tamarisk")));
}

} // namespace

// "Define" against a real PostgreSQL server whose views change, and which
// goes away, while the window is open.
class DetailsPostgresTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        REQUIRE_POSTGRES();
        QCOMPARE(postgres::run("postgres", "DROP DATABASE IF EXISTS " + database), 0);
        QCOMPARE(postgres::run("postgres", "CREATE DATABASE " + database), 0);
        QCOMPARE(postgres::run(database, fixture + lithologyView(allLithologyColumns)), 0);
        useOdbcIni(postgresDataSource(database));
    }

    void init() { QCOMPARE(postgres::run(database, lithologyView(allLithologyColumns)), 0); }

    // The view loses a column after start-up: the request ends where the
    // column is first needed, and the description and the level shown
    // before stay; the window answers again once it is back.
    void lithologyColumnLostMidway_data()
    {
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("named");
        QTest::newRow("no name column, on the first row") << "lith_level, description"
                                                          << "lithology";
        QTest::newRow("no level column, on the first match") << "lithology, description"
                                                             << "lith_level";
    }
    void lithologyColumnLostMidway()
    {
        QFETCH(QString, columns);
        QFETCH(QString, named);
        LoadedWindow window;
        QVERIFY(window.boxes.boxes().isEmpty());
        window.define("Igneous1");
        QCOMPARE(postgres::run(database, lithologyView(columns)), 0);

        window.define("Granite2");
        QCOMPARE(window.boxes.boxes().size(), 1);
        verifyErrorBox(window.boxes.boxes().first());
        QVERIFY2(window.boxes.boxes().first().text.contains(named),
                 qPrintable(window.boxes.boxes().first().text));
        QCOMPARE(window.probe.description(), QStringLiteral("Igneous: melt"));
        QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 1"));

        QCOMPARE(postgres::run(database, lithologyView(allLithologyColumns)), 0);
        window.define("Granite2");
        QCOMPARE(window.boxes.boxes().size(), 1);
        QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 2"));
    }

    // With sequential scans off the server reads two columns from an index
    // on the name and level, in another order than the row set's own; the
    // level shown is that of the last matching row of the row set.
    void levelFollowsTheRowSetsOwnOrder()
    {
        QCOMPARE(postgres::run(database, QStringLiteral(R"(
DROP VIEW "QryLithParent";
CREATE TABLE terms (Lithology text, Parent text, Lith_level integer, lith_id integer,
                    parent_id integer, parent_level integer, description text);
CREATE INDEX terms_name_level ON terms (Lithology, Lith_level);
INSERT INTO terms VALUES ('Sand', NULL, 1, 1, NULL, NULL, 'grains'),
                         ('Clay', 'Sand', 2, 2, 1, 1, 'fine'),
                         ('Clay', NULL, 1, 3, NULL, NULL, 'fine');
VACUUM ANALYZE terms;
CREATE VIEW "QryLithParent" AS SELECT * FROM terms;
GRANT SELECT ON "QryLithParent" TO "user";
ALTER ROLE "user" IN DATABASE kestrelon_details SET enable_seqscan = off;
)")),
                 0);
        auto restore = qScopeGuard([] {
            postgres::run(database,
                          "ALTER ROLE \"user\" IN DATABASE kestrelon_details RESET "
                          "enable_seqscan; DROP VIEW \"QryLithParent\"; DROP TABLE terms;");
        });
        LoadedWindow window;
        QVERIFY(window.boxes.boxes().isEmpty());
        window.define("Clay3");
        QVERIFY(window.boxes.boxes().isEmpty());
        QCOMPARE(window.probe.description(), QStringLiteral("Clay: fine"));
        QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 1"));
    }

    // A Define that waits for the server: meanwhile the button is disabled,
    // the cursor busy and nothing is written, and a hundred more presses,
    // by mouse and by keyboard, start nothing. The server sleeps for
    // `seconds` before answering: longer than the test may run where the
    // request must be cancelled, so a cancel that does not reach the server
    // fails it.
    void slowDefine_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("during");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("label");
        QTest::newRow("the details come once the server answers") << 2 << ""
                                                                  << "Granite: coarse"
                                                                  << "Level: 2";
        QTest::newRow("Escape cancels, nothing is written") << 600 << "Escape"
                                                            << "Igneous: melt"
                                                            << "Level: 1";
        QTest::newRow("closing the window cancels") << 600 << "close"
                                                    << "Igneous: melt"
                                                    << "Level: 1";
    }
    void slowDefine()
    {
        QFETCH(int, seconds);
        QFETCH(QString, during);
        QFETCH(QString, description);
        QFETCH(QString, label);
        LoadedWindow window;
        window.define("Igneous1");
        const QString sleeping =
            QStringLiteral(
                "DROP VIEW \"QryLithParent\"; CREATE VIEW \"QryLithParent\" AS SELECT %1 FROM "
                "lith_rows, (SELECT pg_sleep(%2)) AS s ORDER BY pos; GRANT SELECT ON "
                "\"QryLithParent\" TO \"user\";")
                .arg(allLithologyColumns)
                .arg(seconds);
        QCOMPARE(postgres::run(database, sleeping), 0);
        bool checked = false;
        QTimer::singleShot(500, &window.form, [&] {
            const FormProbe &probe = window.probe;
            QVERIFY(!probe.btn_define->isEnabled());
            QCOMPARE(window.form.cursor().shape(), Qt::BusyCursor);
            QCOMPARE(probe.description(), QStringLiteral("Igneous: melt"));
            for (int press = 0; press < 100; ++press) {
                QTest::mouseClick(probe.btn_define, Qt::LeftButton);
                QTest::keyClick(probe.btn_define, Qt::Key_Space);
            }
            if (during == QStringLiteral("Escape"))
                QTest::keyClick(probe.tv, Qt::Key_Escape);
            else if (during == QStringLiteral("close"))
                window.form.close();
            checked = true;
        });
        window.define("Granite2");
        QVERIFY(checked);
        QVERIFY(window.boxes.boxes().isEmpty());
        QCOMPARE(window.probe.description(), description);
        QCOMPARE(window.probe.lbl_level->text(), label);
        QVERIFY(window.probe.btn_define->isEnabled());
        QCOMPARE(window.form.cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(window.form.isVisible(), during != QStringLiteral("close"));
    }

    // A start-up the server keeps waiting: the progress window shows while
    // the query runs, and its Cancel stops the query and ends the start-up
    // without a message (a cancel that did not reach the server would keep
    // the test waiting past its limit).
    void slowStartUpIsCancelled()
    {
        QCOMPARE(postgres::run(
                     database,
                     QStringLiteral("DROP VIEW \"QryLithParent\"; CREATE VIEW \"QryLithParent\" "
                                    "AS SELECT %1 FROM lith_rows, (SELECT pg_sleep(600)) "
                                    "AS s ORDER BY pos; GRANT SELECT ON \"QryLithParent\" TO "
                                    "\"user\";")
                         .arg(allLithologyColumns)),
                 0);
        BoxCatcher boxes;
        const ProgressCanceller canceller;
        Form1 form;
        form.Form_Load();
        QVERIFY(form.isUnloaded());
        QVERIFY2(boxes.boxes().isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QCOMPARE(canceller.shownText(), QStringLiteral("Reading the vocabulary: 0 rows"));
    }

    void lostConnection()
    {
        LoadedWindow window;
        QVERIFY(window.boxes.boxes().isEmpty());
        window.define("Granite2");
        window.define("Paleozoic2");
        QCOMPARE(window.probe.description(), paleozoicText);

        postgres::stop();
        auto restart = qScopeGuard([] { postgres::start(); });

        // Re-reading "QryLithParent" fails first: nothing is written.
        window.define("Igneous1");
        QCOMPARE(window.boxes.boxes().size(), 1);
        verifyErrorBox(window.boxes.boxes().first());
        qInfo("server stopped, lithology: %s", qPrintable(window.boxes.boxes().first().text));
        QCOMPARE(window.probe.description(), paleozoicText);
        // A unit shows no level.
        QCOMPARE(window.probe.lbl_level->text(), QString());

        // The window still answers: selection, expand and collapse, Define.
        const TreeModel::Node phanerozoic = window.probe.tree->item("Phanerozoic1");
        const QModelIndex index = window.probe.tree->indexOf(phanerozoic);
        window.probe.tv->collapse(index);
        QCOMPARE(window.probe.tree->image(phanerozoic), 1);
        window.probe.tv->expand(index);
        QCOMPARE(window.probe.tree->image(phanerozoic), 2);

        // The stratigraphic rows are rewound, not read again: the driver may
        // still hold them, or fail with a clear message.
        window.define("Phanerozoic1");
        if (window.boxes.boxes().size() == 2) {
            verifyErrorBox(window.boxes.boxes().last());
            QCOMPARE(window.probe.description(), paleozoicText);
            qInfo("server stopped, stratigraphy: %s", qPrintable(window.boxes.boxes().last().text));
        } else {
            QCOMPARE(window.boxes.boxes().size(), 1);
            QCOMPARE(window.probe.description(),
                     QStringLiteral("Phanerozoic: Eon\r\nMinimum Age (mya): 0\r\n"
                                    "Maximum Age (mya): 538.8"));
            qInfo("server stopped, stratigraphy: shown from the rows the driver holds");
        }

        const qsizetype before = window.boxes.boxes().size();
        window.define("Igneous1");
        QCOMPARE(window.boxes.boxes().size(), before + 1);
        verifyErrorBox(window.boxes.boxes().last());

        restart.dismiss();
        postgres::start();

        // Whether the driver connects again is the driver's matter: either
        // the term is shown, or the failure is reported once more.
        window.define("Igneous1");
        if (window.boxes.boxes().size() == before + 1) {
            QCOMPARE(window.probe.description(), QStringLiteral("Igneous: melt"));
            QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 1"));
            qInfo("server back: the window reads again");
        } else {
            QCOMPARE(window.boxes.boxes().size(), before + 2);
            verifyErrorBox(window.boxes.boxes().last());
            qInfo("server back: %s", qPrintable(window.boxes.boxes().last().text));
        }

        // A window opened now reads the server as before.
        LoadedWindow fresh;
        QVERIFY(fresh.boxes.boxes().isEmpty());
        fresh.define("Igneous1");
        QCOMPARE(fresh.probe.lbl_level->text(), QStringLiteral("Level: 1"));
    }

    void cleanupTestCase()
    {
        if (postgres::available())
            postgres::run("postgres", "DROP DATABASE IF EXISTS " + database);
    }
};

QTEST_MAIN(DetailsPostgresTest)
#include "tst_details_postgres.moc"
