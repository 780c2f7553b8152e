// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/BoxCatcher.h"
#include "support/DataSources.h"
#include "support/FormProbe.h"
#include "support/SqliteFile.h"

#include <QTest>

using namespace kestrelon;
using namespace testsupport;

namespace {

// A lithology row: name, parent, level, id, parent id, parent level, description.
QVariantList term(const QString &name, const QVariant &level, int id)
{
    return {name, QVariant(), level, id, QVariant(), QVariant(), QStringLiteral("about ") + name};
}

} // namespace

// "Define" finds a term's level by reading the lithology row set: the last
// matching row wins, whatever the row set and its indexes.
class LevelLookupTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useOdbcIni(sqliteDataSource(sqliteFile())); }

    // Among many rows the last match wins, with the term matched early, in
    // the middle and at the very end, spaces trimmed and case kept.
    void lastMatchingRowWins()
    {
        QList<QVariantList> rows;
        for (int id = 1; id <= 700; ++id)
            rows << term(QStringLiteral("Term %1").arg(id), 1, id);
        rows[4] = term(QStringLiteral("Clay"), 1, 5);
        rows[300] = term(QStringLiteral("  Clay "), 2, 301);
        rows[400] = term(QStringLiteral("clay"), 5, 401);
        rows[699] = term(QStringLiteral("Clay  "), 3, 700);
        sqlite::create(sqliteFile(),
                       sqlite::rowSet("QryLithParent", sqlite::lithologyColumns(), rows));
        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();
        const FormProbe probe(form);
        probe.select("Clay5");
        probe.btn_define->click();
        QVERIFY(boxes.boxes().isEmpty());
        QCOMPARE(probe.txtDescription->toPlainText(), QStringLiteral("Clay: about Clay"));
        QCOMPARE(probe.lbl_level->text(), QStringLiteral("Level: 3"));
    }

    // The row set's own order decides which match is last, even where an
    // index on the name and level would give the two columns in another.
    void levelFollowsTheRowSetsOwnOrder_data()
    {
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("level");
        const QString nameAndLevel = QStringLiteral("(Lithology, Lith_level)");
        QTest::newRow("first-level Clay after the second-level one") << nameAndLevel << "Clay3"
                                                                     << "Level: 1";
        QTest::newRow("second-level Clay before the first-level one") << nameAndLevel << "Clay2"
                                                                      << "Level: 1";
        QTest::newRow("an index with the level first") << "(Lith_level, Lithology)"
                                                       << "Clay3"
                                                       << "Level: 1";
    }
    void levelFollowsTheRowSetsOwnOrder()
    {
        QFETCH(QString, index);
        QFETCH(QString, selected);
        QFETCH(QString, level);
        QStringList statements{
            "CREATE TABLE terms (Lithology TEXT, Parent TEXT, Lith_level INTEGER, lith_id "
            "INTEGER, parent_id INTEGER, parent_level INTEGER, description TEXT)",
            "CREATE VIEW QryLithParent AS SELECT * FROM terms",
            "INSERT INTO terms VALUES ('Sand', NULL, 1, 1, NULL, NULL, 'about Sand'), "
            "('Clay', 'Sand', 2, 2, 1, 1, 'about Clay'), "
            "('Clay', NULL, 1, 3, NULL, NULL, 'about Clay')"};
        if (!index.isEmpty())
            statements << "CREATE INDEX terms_order ON terms " + index;
        sqlite::create(sqliteFile(), statements);
        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();
        const FormProbe probe(form);
        probe.select(selected);
        probe.btn_define->click();
        QVERIFY(boxes.boxes().isEmpty());
        QCOMPARE(probe.txtDescription->toPlainText(), QStringLiteral("Clay: about Clay"));
        QCOMPARE(probe.lbl_level->text(), level);
    }

    // A row set without "lith_level" fails only when a row matches, after
    // the description is written, as reading it whole would.
    void missingLevelColumn_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("fails");
        QTest::newRow("no row matches") << "Sand2" << false;
        QTest::newRow("a row matches") << "Clay1" << true;
    }
    void missingLevelColumn()
    {
        QFETCH(QString, selected);
        QFETCH(bool, fails);
        // Built from one row set, looked up in another that lacks the level.
        sqlite::create(sqliteFile(), sqlite::rowSet("QryLithParent", sqlite::lithologyColumns(),
                                                    {term("Clay", 1, 1), term("Sand", 1, 2)}));
        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();
        const FormProbe probe(form);
        QCOMPARE(probe.tree->nodeCount(), 3);
        // The open connection sees the change.
        sqlite::change(sqliteFile(),
                       {QStringLiteral("DROP VIEW QryLithParent"),
                        QStringLiteral("CREATE VIEW QryLithParent AS SELECT Lithology, lith_id "
                                       "FROM QryLithParent_rows WHERE Lithology <> 'Sand' "
                                       "ORDER BY rowid")});
        probe.select(selected);
        probe.btn_define->click();
        const QString name = selected.chopped(1);
        QCOMPARE(probe.txtDescription->toPlainText(), name + QStringLiteral(": about ") + name);
        QCOMPARE(probe.lbl_level->text(), QString());
        QCOMPARE(boxes.boxes().size(), fails ? 1 : 0);
        if (fails)
            QVERIFY2(boxes.texts().join("").contains("lith_level", Qt::CaseInsensitive),
                     qPrintable(boxes.texts().join("")));
    }
};

QTEST_MAIN(LevelLookupTest)
#include "tst_levellookup.moc"
