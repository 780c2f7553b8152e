#include "support/BoxCatcher.h"
#include "support/DataSources.h"
#include "support/FormProbe.h"

#include <QTest>

using namespace testsupport;

// The program against a real PostgreSQL server, through its ODBC driver, as
// a role that may only read the two views.
class PostgresTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        REQUIRE_POSTGRES();
        useOdbcIni(postgresDataSource());
    }

    void demoDatabaseFillsBothHierarchies()
    {
        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();
        const FormProbe probe(form);

        QVERIFY(boxes.boxes().isEmpty());
        QVERIFY(!form.isUnloaded());
        QCOMPARE(probe.rootTexts(), (QStringList{"Lithology Version 6", "Stratigraphic Age"}));
        QCOMPARE(probe.tree->nodeCount(), 2 + 266 + 177);
        const auto granite = probe.tree->find("Granite103");
        QVERIFY(granite != kestrelon::TreeModel::NoNode);
        QVERIFY(probe.tree->fullPath(granite).startsWith("Lithology Version 6\\Igneous rocks\\"));
        QVERIFY(probe.tree->tag(granite).toText().startsWith("Coarse-grained plutonic rock"));
    }
};

QTEST_MAIN(PostgresTest)
#include "tst_postgres.moc"
