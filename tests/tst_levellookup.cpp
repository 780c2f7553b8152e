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

// "Define" asks the data source for the names and levels only; the answer
// must be the one reading the whole row set gives, whatever the row set.
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
