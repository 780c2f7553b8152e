// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/BoxCatcher.h"
#include "support/DataSources.h"
#include "support/FormProbe.h"
#include "support/LoadedWindow.h"

#include <QFile>
#include <QRegularExpression>
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

// The statements the server received from the program's session, in order,
// as its log has them: the role logs every statement while `watch` lives.
class SessionLog
{
public:
    SessionLog()
    {
        QCOMPARE(postgres::run(QStringLiteral("postgres"),
                               QStringLiteral("ALTER ROLE \"user\" SET log_statement = 'all'")),
                 0);
    }
    ~SessionLog()
    {
        postgres::run(QStringLiteral("postgres"),
                      QStringLiteral("ALTER ROLE \"user\" RESET log_statement"));
    }
    SessionLog(const SessionLog &) = delete;
    SessionLog &operator=(const SessionLog &) = delete;

    // The statements so far of the one session that the role has open.
    QStringList statements() const
    {
        const QString pid = postgres::value(
            QStringLiteral("postgres"),
            QStringLiteral("SELECT pid FROM pg_stat_activity WHERE usename = 'user'"));
        QFile log(qEnvironmentVariable("KESTRELON_TEST_PG_CLUSTER") +
                  QStringLiteral("/server.log"));
        if (pid.isEmpty() || pid.contains(u'\n') || !log.open(QIODevice::ReadOnly))
            return {QStringLiteral("no single session, or no log: ") + pid};
        const QRegularExpression statement(
            QStringLiteral("\\[%1\\] LOG:  (statement|execute [^:]*): (.*)$").arg(pid));
        QStringList found;
        for (const QByteArray &line : log.readAll().split('\n')) {
            const QRegularExpressionMatch match = statement.match(QString::fromUtf8(line));
            if (match.hasMatch())
                found << match.captured(2);
        }
        return found;
    }
};

// The statements a start-up and a Define send, each one round trip: the
// catalogue once, one query of no rows that tells whether the
// stratigraphy may be read, the two hierarchies' rows; then one query per
// Define, without describing the row set first. The driver adds two
// statements of its own when it connects.
void expectStatements(int startUp, int define)
{
    const SessionLog watch;
    LoadedWindow window;
    QVERIFY(window.boxes.boxes().isEmpty());
    const QStringList atStart = watch.statements();
    QVERIFY2(!atStart.isEmpty(), "the server logged no statement of the session");
    QVERIFY2(atStart.size() <= startUp, qPrintable(atStart.join(u'\n')));
    window.define(QStringLiteral("Granite103"));
    const QStringList afterDefine = watch.statements().mid(atStart.size());
    QVERIFY2(!afterDefine.isEmpty() && afterDefine.size() <= define,
             qPrintable(afterDefine.join(u'\n')));
    QCOMPARE(window.probe.lbl_level->text(), QStringLiteral("Level: 4"));
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

    // A row set larger than a batch comes whole and in order, however its
    // rows fall into batches (the last one full, empty or a single row),
    // and the session is idle afterwards. A row that fails in a later
    // batch ends the start-up with the server's message.
    void readsEveryRowInBatches_data()
    {
        QTest::addColumn<int>("terms");
        QTest::addColumn<int>("failingTerm"); // 0: none
        QTest::newRow("a batch and a row") << 8193 << 0;
        QTest::newRow("two whole batches") << 16384 << 0;
        QTest::newRow("several batches") << 30000 << 0;
        QTest::newRow("a failure in the third batch") << 30000 << 20000;
    }
    void readsEveryRowInBatches()
    {
        QFETCH(int, terms);
        QFETCH(int, failingTerm);
        const QString database = QStringLiteral("kestrelon_batches");
        QCOMPARE(postgres::run(QStringLiteral("postgres"),
                               QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE); "
                                              "CREATE DATABASE %1")
                                   .arg(database)),
                 0);
        // Term i lies under term i / 2; the failing term's definition
        // divides by zero when it is read. The view's rows come in the
        // order the table was written, one by one as they are fetched.
        QCOMPARE(postgres::run(database, QStringLiteral(R"(
CREATE TABLE term AS SELECT i AS id FROM generate_series(1, %1) AS i;
CREATE VIEW QryLithParent AS
SELECT 'Term ' || id AS Lithology, CASE WHEN id > 1 THEN 'Term ' || id / 2 END AS Parent,
       floor(log(2, id) + 0.000001)::int + 1 AS Lith_level, id AS lith_id,
       CASE WHEN id > 1 THEN id / 2 END AS parent_id,
       CASE WHEN id > 1 THEN floor(log(2, id / 2) + 0.000001)::int + 1 END AS parent_level,
       'Definition ' || (1 / (id - %2))::text AS description
FROM term;
GRANT SELECT ON QryLithParent TO "user";
)")
                                             .arg(terms)
                                             .arg(failingTerm > 0 ? failingTerm : -1)),
                 0);
        useOdbcIni(postgresDataSource(database));
        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();
        if (failingTerm > 0) {
            QVERIFY(form.isUnloaded());
            QCOMPARE(boxes.boxes().size(), 1);
            const QString text = boxes.boxes().first().text;
            QVERIFY2(text.contains(QStringLiteral("division by zero")), qPrintable(text));
            return;
        }
        QVERIFY2(boxes.boxes().isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        const FormProbe probe(form);
        QCOMPARE(probe.tree->nodeCount(), 1 + terms);
        const QString last = QStringLiteral("Term %1%1").arg(terms);
        QVERIFY(probe.tree->find(last) != kestrelon::TreeModel::NoNode);
        const QString states =
            postgres::value(QStringLiteral("postgres"),
                            QStringLiteral("SELECT string_agg(state, ', ') FROM pg_stat_activity "
                                           "WHERE usename = 'user'"));
        QCOMPARE(states, QStringLiteral("idle"));
    }

    void statementsWithDefaultSettings() { expectStatements(6, 1); }

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
