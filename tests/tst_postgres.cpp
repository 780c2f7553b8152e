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
