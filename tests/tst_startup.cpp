// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/BoxCatcher.h"
#include "support/DataSources.h"
#include "support/FormProbe.h"
#include "support/ProgressCanceller.h"
#include "support/SqliteFile.h"
#include "support/Subprocess.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

using namespace kestrelon;
using namespace testsupport;

namespace {

QVariant null()
{
    return QVariant();
}

QStringList demoDatabase()
{
    return sqlite::demoScript("schema.sqlite.sql") + sqlite::demoScript("lithology.sql") +
           sqlite::demoScript("stratigraphy.sql");
}

} // namespace

// The start-up against real SQLite files through the ODBC driver manager.
class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useOdbcIni(sqliteDataSource(sqliteFile())); }

    void demoDatabaseFillsBothHierarchies()
    {
        sqlite::create(sqliteFile(), demoDatabase());
        const QByteArray before = sqlite::checksum(sqliteFile());
        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();
        const FormProbe probe(form);

        QVERIFY(boxes.boxes().isEmpty());
        QVERIFY(!form.isUnloaded());
        QCOMPARE(probe.rootTexts(), (QStringList{"Lithology Version 6", "Stratigraphic Age"}));
        QCOMPARE(probe.tree->nodeCount(), 2 + 266 + 177);

        const auto lith = probe.tree->item("lith6");
        QStringList firstLevel;
        for (int row = 0; row < probe.tree->childCount(lith); ++row)
            firstLevel << probe.tree->text(probe.tree->childAt(lith, row));
        QStringList sorted = firstLevel;
        std::sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        });
        QCOMPARE(firstLevel, sorted);
        QVERIFY(probe.tv->isExpanded(probe.tree->indexOf(lith)));
        // Expanding from code raised the view's notification: the open folder shows.
        QCOMPARE(probe.tree->image(lith), 2);

        QCOMPARE(sqlite::checksum(sqliteFile()), before);
    }

    void treeFollowsTheRows()
    {
        sqlite::create(sqliteFile(),
                       sqlite::rowSet("QryLithParent", sqlite::lithologyColumns(),
                                      {{"Sedimentary", null(), 1, 2, null(), null(), "layers"},
                                       {"Igneous", null(), 1, 1, null(), null(), null()},
                                       {"Granite", "Igneous", 2, 3, 1, 1, "coarse"},
                                       {"Loose", "Igneous", 1, 4, 1, 1, "level 1 under a parent"},
                                       {"Unplaced", "Igneous", null(), 5, 1, 1, "no level"},
                                       {"Pink granite", "Granite", 3, 6, 3, 2, "pink"}}));
        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();
        const FormProbe probe(form);
        QVERIFY(boxes.boxes().isEmpty());
        QCOMPARE(probe.rootTexts(), QStringList{"Lithology Version 6"});
        QCOMPARE(outline(*probe.tree, probe.tree->item("lith6")),
                 QStringLiteral(
                     "Lithology Version 6(Igneous(Granite(Pink granite)),Loose,Sedimentary)"));
    }

    void skippedRowsAreListedInOneWarning()
    {
        QList<QVariantList> rows{{"Igneous", null(), 1, 1, null(), null(), ""},
                                 {"Orphan", "Missing", 2, 2, 99, 1, ""},
                                 {"Igneous", null(), 1, 1, null(), null(), "again"}};
        for (int i = 0; i < 12; ++i)
            rows << QVariantList{QStringLiteral("Lost %1").arg(i), "Nowhere", 2, 100 + i, 0, 1, ""};
        sqlite::create(sqliteFile(),
                       sqlite::rowSet("QryLithParent", sqlite::lithologyColumns(), rows));
        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();

        QVERIFY(!form.isUnloaded());
        QCOMPARE(boxes.boxes().size(), 1);
        const ShownBox &box = boxes.boxes().first();
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
        QVERIFY2(box.text.startsWith(QStringLiteral("14 rows of \"Lithology Version 6\"")),
                 qPrintable(box.text));
        QVERIFY(box.text.contains(QStringLiteral("\"Orphan\" (id 2, parent key \"Missing99\")")));
        QVERIFY(box.text.contains(QStringLiteral("\"Igneous\" (id 1")));
        QVERIFY(box.text.contains(QStringLiteral("Lost 7")));
        QVERIFY(!box.text.contains(QStringLiteral("Lost 8")));
        QVERIFY(box.text.contains(QStringLiteral("... and 4 more.")));
        QCOMPARE(FormProbe(form).tree->nodeCount(), 2);
    }

    void unreadableLithologyEndsTheStartUp_data()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QString>("named");
        QStringList noDescription = sqlite::lithologyColumns();
        noDescription.removeLast();
        QTest::newRow("no QryLithParent")
            << QStringList{"CREATE TABLE other (n INTEGER)"} << "QryLithParent";
        QTest::newRow("a missing column")
            << sqlite::rowSet("QryLithParent", noDescription,
                              {{"Igneous", null(), 1, 1, null(), null()}})
            << "description";
    }
    void unreadableLithologyEndsTheStartUp()
    {
        QFETCH(QStringList, statements);
        QFETCH(QString, named);
        sqlite::create(sqliteFile(), statements);
        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();

        QVERIFY(form.isUnloaded());
        QCOMPARE(boxes.boxes().size(), 1);
        const ShownBox &box = boxes.boxes().first();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
        QVERIFY2(box.text.startsWith(QStringLiteral("Run-time error '")), qPrintable(box.text));
        QVERIFY2(box.text.contains(named), qPrintable(box.text));
        QVERIFY(!box.text.contains(QStringLiteral("tamarisk")));
    }

    // A row set whose every row costs the database some work: once the
    // reading has taken a second, a small window counts the rows read, and
    // its Cancel ends the start-up without a message.
    void cancelledSlowReadEndsTheStartUp_data()
    {
        QTest::addColumn<QString>("slowRowSet");
        QTest::addColumn<int>("workPerRow");
        QTest::newRow("the lithology") << "QryLithParent" << 10000;
        // Read whole, by a cursor that can rewind, before the first row comes.
        QTest::newRow("the stratigraphy") << "QryStratParent" << 5000;
    }
    void cancelledSlowReadEndsTheStartUp()
    {
        QFETCH(QString, slowRowSet);
        QFETCH(int, workPerRow);
        QList<QVariantList> lith, strat;
        for (int id = 1; id <= 6000; ++id) {
            lith << QVariantList{
                QStringLiteral("Term %1").arg(id), null(), 1, id, null(), null(), ""};
            strat << QVariantList{
                QStringLiteral("Unit %1").arg(id), null(), 100, id, null(), null(), "Eon", 0, 1};
        }
        QStringList statements =
            sqlite::rowSet("QryLithParent", sqlite::lithologyColumns(), lith) +
            sqlite::rowSet("QryStratParent", sqlite::stratigraphyColumns(), strat);
        statements << "DROP VIEW " + slowRowSet
                   << QStringLiteral("CREATE VIEW %1 AS SELECT t.* FROM %1_rows t WHERE (WITH "
                                     "RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c "
                                     "WHERE x < %2 + t.rowid % 2) SELECT count(*) FROM c) > 0")
                          .arg(slowRowSet)
                          .arg(workPerRow);
        sqlite::create(sqliteFile(), statements);

        BoxCatcher boxes;
        // Cancel once rows have been counted.
        const ProgressCanceller canceller([](const QString &text) {
            return text.contains(QRegularExpression(QStringLiteral("[1-9]")));
        });
        Form1 form;
        form.Form_Load();

        QVERIFY(form.isUnloaded());
        QVERIFY2(boxes.boxes().isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QVERIFY2(canceller.shownText().startsWith(QStringLiteral("Reading the vocabulary: ")),
                 qPrintable(canceller.shownText()));
        QVERIFY(!ProgressCanceller::find());
    }

    void unreadableStratigraphyKeepsTheLithology()
    {
        QStringList noAges = sqlite::stratigraphyColumns();
        noAges.removeLast();
        noAges.removeLast();
        noAges.removeLast(); // no rank
        sqlite::create(sqliteFile(),
                       sqlite::rowSet("QryLithParent", sqlite::lithologyColumns(),
                                      {{"Igneous", null(), 1, 1, null(), null(), ""}}) +
                           sqlite::rowSet("QryStratParent", noAges,
                                          {{"Phanerozoic", null(), 100, 1, null(), null()}}));
        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();
        const FormProbe probe(form);

        QVERIFY(!form.isUnloaded());
        QCOMPARE(boxes.boxes().size(), 1);
        QCOMPARE(boxes.boxes().first().icon, QMessageBox::Critical);
        QVERIFY(boxes.boxes().first().text.contains(QStringLiteral("strat_rank")));
        QCOMPARE(probe.rootTexts(), (QStringList{"Lithology Version 6", "Stratigraphic Age"}));
        QCOMPARE(probe.tree->childCount(probe.tree->item("lith6")), 1);
        QCOMPARE(probe.tree->childCount(probe.tree->item("Strat")), 0);
    }

    // A file in write-ahead-log mode on read-only media, here a read-only
    // mount of its folder that the data source's file links to, opens and
    // reads whole. Mounting needs root; elsewhere the case is skipped.
    void walFileOnReadOnlyMedia()
    {
        const QString staged = workDir() + QStringLiteral("/staged");
        const QString media = workDir() + QStringLiteral("/media");
        QVERIFY(QDir().mkpath(staged) && QDir().mkpath(media));
        sqlite::create(staged + QStringLiteral("/v.db"),
                       QStringList{QStringLiteral("PRAGMA journal_mode = WAL")} + demoDatabase());
        const auto run = [](const QString &program, const QStringList &arguments) {
            return Subprocess(QStandardPaths::findExecutable(program), arguments)
                .waitForExit(30000);
        };
        if (run(QStringLiteral("mount"), {QStringLiteral("--bind"), staged, media}) != 0)
            QSKIP("cannot mount here");
        auto unmount = qScopeGuard([&] {
            QFile::remove(sqliteFile());
            run(QStringLiteral("umount"), {media});
        });
        QCOMPARE(run(QStringLiteral("mount"),
                     {QStringLiteral("-o"), QStringLiteral("remount,ro,bind"), media}),
                 0);
        QFile::remove(sqliteFile());
        QVERIFY(QFile::link(media + QStringLiteral("/v.db"), sqliteFile()));

        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();
        const FormProbe probe(form);

        QVERIFY2(boxes.boxes().isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QVERIFY(!form.isUnloaded());
        QCOMPARE(probe.tree->nodeCount(), 2 + 266 + 177);
        probe.select(QStringLiteral("Granite103"));
        QVERIFY(probe.pressDefine());
        QVERIFY2(boxes.boxes().isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QVERIFY(probe.description().startsWith(QStringLiteral("Granite: ")));
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
