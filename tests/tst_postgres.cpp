// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/BoxCatcher.h"
#include "support/DataSources.h"
#include "support/FormProbe.h"
#include "support/LoadedWindow.h"

#include <QTest>

using namespace testsupport;

namespace {

// After the start-up and after each Define, the program's session is idle,
// with no transaction open: it holds no lock, and the vocabulary's owner can
// change both tables meanwhile without waiting on it.
void expectIdleAfterEachRequest()
{
    LoadedWindow window;
    QVERIFY(window.boxes.boxes().isEmpty());
    const struct
    {
        const char *moment;
        QString key; // pressed with Define; none for the start-up
    } moments[] = {
        {"after the start-up", {}},
        {"after Define on a lithology term", QStringLiteral("Granite103")},
        {"after Define on a stratigraphic unit", QStringLiteral("Cenozoic2")},
    };
    for (const auto &moment : moments) {
        if (!moment.key.isEmpty())
            window.define(moment.key);
        QVERIFY(window.boxes.boxes().isEmpty());
        const QString states =
            postgres::value(QStringLiteral("postgres"),
                            QStringLiteral("SELECT string_agg(state, ', ') FROM pg_stat_activity "
                                           "WHERE usename = 'user'"));
        QVERIFY2(states == QLatin1String("idle"), qPrintable(moment.moment + (": " + states)));
        QVERIFY2(postgres::run(QStringLiteral("kestrelon"),
                               QStringLiteral("BEGIN; SET LOCAL lock_timeout = '5s';\n"
                                              "ALTER TABLE lith_term ADD COLUMN note text;\n"
                                              "ALTER TABLE strat_unit ADD COLUMN note text;\n"
                                              "ROLLBACK;")) == 0,
                 moment.moment);
    }
}

} // namespace

// The program against a real PostgreSQL server, through its ODBC driver, as
// a role that may only read the two views. Each case runs in a process of
// its own (see CMakeLists.txt), so that each can set the data source anew.
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

    void idleWithDefaultSettings() { expectIdleAfterEachRequest(); }

    // The settings for a million terms, with which the driver reads through
    // a cursor inside a transaction.
    void idleWithDeclareFetch()
    {
        useOdbcIni(postgresDataSource() + QStringLiteral("UseDeclareFetch=1\nFetch=10000\n"));
        expectIdleAfterEachRequest();
    }
};

QTEST_MAIN(PostgresTest)
#include "tst_postgres.moc"
