// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/DataSources.h"
#include "support/LoadedWindow.h"
#include "support/ProgressCanceller.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
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
GRANT CONNECT ON DATABASE kestrelon_details TO "user";
GRANT USAGE ON SCHEMA public TO "user";
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

// "QryLithParent" as a view whose rows come after the server has slept.
QString sleepingView(const QString &columns, int seconds)
{
    return QStringLiteral(
               "DROP VIEW IF EXISTS \"QryLithParent\"; CREATE VIEW \"QryLithParent\" AS SELECT %1 "
               "FROM lith_rows, (SELECT pg_sleep(%2)) AS s ORDER BY pos; GRANT SELECT ON "
               "\"QryLithParent\" TO \"user\";")
        .arg(columns)
        .arg(seconds);
}

// "QryStratParent", its rows coming after the server has slept `seconds`.
QString stratigraphyView(int seconds = 0)
{
    return QStringLiteral(
               "DROP VIEW IF EXISTS \"QryStratParent\"; CREATE VIEW \"QryStratParent\" AS "
               "SELECT strat_name, parent, strat_level, strat_id, parent_id, parent_level, "
               "strat_rank, min_age, max_age FROM strat_rows, (SELECT pg_sleep(%1)) AS s "
               "ORDER BY pos; GRANT SELECT ON \"QryStratParent\" TO \"user\";")
        .arg(seconds);
}

// What a user, or code of the program, does while the window waits.
void act(const QString &during, Form1 &form, const FormProbe &probe)
{
    if (during == "Escape") {
        QTest::keyClick(probe.tv, Qt::Key_Escape);
    } else if (during == "Cancel") {
        QTest::mouseClick(ProgressCanceller::find()->findChild<QPushButton *>(), Qt::LeftButton);
    } else if (during == "close") {
        form.close();
    } else if (during == "quit") {
        QCoreApplication::quit();
    } else if (during == "type") {
        QTest::mouseClick(probe.tv->viewport(), Qt::LeftButton, {},
                          probe.tv->viewport()->rect().center());
        QTest::keyClicks(probe.tv, QStringLiteral("ig"));
        QTest::keyClick(probe.tv, Qt::Key_F3);
        QTest::keyClick(probe.tv, Qt::Key_F3, Qt::ShiftModifier);
    } else if (during == "expand") {
        const QModelIndex branch = probe.tree->indexOf(probe.tree->item("Igneous1"));
        probe.tv->collapse(branch);
        probe.tv->expand(branch);
    } else if (during == "resize") {
        form.resize(form.size() + QSize(120, 90));
    } else if (during == "define") {
        // A stratigraphic unit once the start-up has read them, else a term.
        const bool units = probe.tree->find("Paleozoic2") != TreeModel::NoNode;
        probe.select(units ? "Paleozoic2" : "Granite2");
        units ? form.ListStrat() : form.ListLith6();
    } else if (during == "load") {
        form.Form_Load();
    }
}

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

    void init()
    {
        QCOMPARE(postgres::run(database, lithologyView(allLithologyColumns) + stratigraphyView()),
                 0);
    }

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

    // A Define that waits for the server, and what happens meanwhile. The
    // button is disabled, the cursor busy and nothing is written; a hundred
    // more presses, by mouse and by keyboard, start nothing. The server
    // sleeps for `seconds` before it answers: longer than the test may run
    // where the request must be cancelled, so that a cancel that does not
    // reach the server fails it. Then the description and label; `focus`,
    // where the focus ends (the button was pressed from the keyboard).
    void eventsWhileDefineWaits_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("during");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("focus");
        const QString granite = QStringLiteral("Granite: coarse");
        const QString igneous = QStringLiteral("Igneous: melt");
        QTest::newRow("nothing: the details come once the server answers")
            << 2 << "" << granite << "Level: 2"
            << "btn_define";
        QTest::newRow("Escape cancels, nothing is written")
            << 600 << "Escape" << igneous << "Level: 1"
            << "btn_define";
        QTest::newRow("closing the window cancels") << 600 << "close" << igneous << "Level: 1"
                                                    << "";
        QTest::newRow("quitting the application cancels") << 600 << "quit" << igneous << "Level: 1"
                                                          << "";
        QTest::newRow("deleting the window cancels") << 600 << "deleteLater"
                                                     << ""
                                                     << ""
                                                     << "";
        QTest::newRow("typing and F3 in the tree keep the focus there")
            << 2 << "type" << granite << "Level: 2"
            << "tv";
        QTest::newRow("opening and closing a branch") << 2 << "expand" << granite << "Level: 2"
                                                      << "btn_define";
        QTest::newRow("resizing the window") << 2 << "resize" << granite << "Level: 2"
                                             << "btn_define";
        // The later request is a unit's, which shows no level.
        QTest::newRow("Define again from code: the later one is shown")
            << 2 << "define" << paleozoicText << ""
            << "btn_define";
        QTest::newRow("Form_Load again from code does nothing")
            << 2 << "load" << granite << "Level: 2"
            << "btn_define";
    }
    void eventsWhileDefineWaits()
    {
        QFETCH(int, seconds);
        QFETCH(QString, during);
        QFETCH(QString, description);
        QFETCH(QString, label);
        QFETCH(QString, focus);
        BoxCatcher boxes;
        QPointer<Form1> form = new Form1;
        auto cleanup = qScopeGuard([&] { delete form; });
        form->Form_Load();
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        const FormProbe probe(*form);
        probe.select("Igneous1");
        QVERIFY(probe.pressDefine());
        QCOMPARE(postgres::run(database, sleepingView(allLithologyColumns, seconds)), 0);

        QSignalSpy shown(form.data(), &Form1::detailsShown);
        probe.btn_define->setFocus();
        probe.select("Granite2");
        QTest::keyClick(probe.btn_define, Qt::Key_Space);
        QVERIFY(!probe.btn_define->isEnabled());
        QCOMPARE(form->cursor().shape(), Qt::BusyCursor);
        QCOMPARE(probe.description(), QStringLiteral("Igneous: melt"));
        for (int press = 0; press < 100; ++press) {
            QTest::mouseClick(probe.btn_define, Qt::LeftButton);
            QTest::keyClick(probe.btn_define, Qt::Key_Space);
        }
        const QRect treeBefore = probe.tv->geometry();
        QElapsedTimer clock;
        clock.start();
        if (during == "quit") {
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            QCoreApplication::exec();
        } else if (during == "deleteLater") {
            QSignalSpy destroyed(form.data(), &QObject::destroyed);
            form->deleteLater();
            QVERIFY(destroyed.wait(10000));
            QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
            QVERIFY(boxes.boxes().isEmpty());
            return;
        } else {
            act(during, *form, probe);
        }
        QVERIFY(shown.count() == 1 || shown.wait(30000));
        QCOMPARE(shown.count(), 1);
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));

        QVERIFY2(boxes.boxes().isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QCOMPARE(probe.description(), description);
        QCOMPARE(probe.lbl_level->text(), label);
        QVERIFY(probe.btn_define->isEnabled());
        QCOMPARE(form->cursor().shape(), Qt::ArrowCursor);
        const bool closes = during == "close" || during == "quit";
        QCOMPARE(form->isVisible(), !closes);
        if (!focus.isEmpty())
            QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        if (during == "expand")
            QCOMPARE(probe.tree->image(probe.tree->item("Igneous1")), 2);
        if (during == "resize")
            QVERIFY(probe.tv->geometry() != treeBefore);
        if (during == "type")
            QCOMPARE(probe.tree->fullPath(probe.tree->nodeAt(probe.tv->currentIndex())),
                     QStringLiteral("Lithology Version 6\\Igneous"));
        // Whatever happened, the window answers the next press.
        QCOMPARE(postgres::run(database, lithologyView(allLithologyColumns)), 0);
        probe.select("Igneous1");
        QVERIFY(probe.pressDefine());
        QCOMPARE(probe.description(), QStringLiteral("Igneous: melt"));
    }

    // A start-up that the server keeps waiting, and what happens meanwhile.
    // The progress window shows once the reading has taken a second; what
    // is done then must find the start-up still reading: the lithology
    // stands in the tree, and the server sleeps for `seconds` before it
    // answers the stratigraphic rows (see above). Then whether the start-up
    // ended in a loaded window.
    void eventsWhileStartUpReads_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("during");
        QTest::addColumn<bool>("loads");
        QTest::newRow("nothing") << 2 << "" << true;
        QTest::newRow("Cancel in the progress window") << 600 << "Cancel" << false;
        QTest::newRow("closing the window") << 600 << "close" << false;
        QTest::newRow("quitting the application") << 600 << "quit" << false;
        QTest::newRow("deleting the window") << 600 << "deleteLater" << false;
        QTest::newRow("typing and F3 in the tree") << 2 << "type" << true;
        QTest::newRow("opening and closing a branch") << 2 << "expand" << true;
        QTest::newRow("resizing the window") << 2 << "resize" << true;
        QTest::newRow("Define from code does nothing") << 2 << "define" << true;
        QTest::newRow("Form_Load again from code does nothing") << 2 << "load" << true;
    }
    void eventsWhileStartUpReads()
    {
        QFETCH(int, seconds);
        QFETCH(QString, during);
        QFETCH(bool, loads);
        QCOMPARE(postgres::run(database, stratigraphyView(seconds)), 0);
        BoxCatcher boxes;
        QPointer<Form1> form = new Form1;
        auto cleanup = qScopeGuard([&] { delete form; });
        const FormProbe probe(*form);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QString progressText;
        bool acted = false;
        // What is done runs at the start-up's first look at its events.
        const auto load = [&] {
            QTimer::singleShot(0, form, [&] {
                const QProgressDialog *progress = ProgressCanceller::find();
                if (!progress || !progress->isVisible())
                    return;
                progressText = progress->labelText();
                acted = true;
                if (during == "deleteLater")
                    form->deleteLater();
                else
                    act(during, *form, probe);
            });
            form->Form_Load();
        };
        QElapsedTimer clock;
        clock.start();
        if (during == "quit") {
            QTimer::singleShot(0, form, load);
            QCoreApplication::exec();
        } else {
            load();
        }
        QVERIFY2(acted, "the start-up did not wait for the server");
        QCOMPARE(progressText, QStringLiteral("Reading the vocabulary: 2 rows"));
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(boxes.boxes().isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QVERIFY(form);
        QCOMPARE(form->isUnloaded(), !loads);
        if (during == "deleteLater") {
            QTRY_VERIFY(!form);
            return;
        }
        if (!loads)
            return;
        QCOMPARE(outline(*probe.tree, probe.tree->item("lith6")),
                 QStringLiteral("Lithology Version 6(Igneous(Granite))"));
        QCOMPARE(outline(*probe.tree, probe.tree->item("Strat")),
                 QStringLiteral("Stratigraphic Age(Phanerozoic(Paleozoic))"));
        QCOMPARE(probe.description(), QString());
        QCOMPARE(probe.lbl_level->text(), QString());
        probe.select("Granite2");
        QVERIFY(probe.pressDefine());
        QCOMPARE(probe.description(), QStringLiteral("Granite: coarse"));
        QVERIFY(boxes.boxes().isEmpty());
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
