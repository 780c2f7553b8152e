// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/BoxCatcher.h"
#include "support/DataSources.h"
#include "support/FormProbe.h"
#include "support/ShownTexts.h"
#include "support/SqliteFile.h"
#include "support/Subprocess.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <atomic>
#include <csignal>
#include <future>
#include <sqlite3.h>
#include <sys/resource.h>

using namespace kestrelon;
using namespace testsupport;

namespace {

const QString connectionMessage = QStringLiteral(
    "Cannot find ODBC source.\r\nPlease make sure you have an ODBC Datasource named 'ds_hier'");

// A server on 127.0.0.1 that accepts every connection and never says a
// word, on a thread of its own so it answers while the window waits.
class SilentServer : public QThread
{
public:
    SilentServer()
    {
        start();
        port_ = portPromise_.get_future().get();
    }
    ~SilentServer() override
    {
        quit();
        wait();
    }

    quint16 port() const { return port_; }
    int accepted() const { return accepted_; }

protected:
    void run() override
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [&server, this] {
            while (QTcpSocket *socket = server.nextPendingConnection()) {
                socket->setParent(&server); // held open, never written to
                ++accepted_;
            }
        });
        portPromise_.set_value(server.serverPort());
        exec();
    }

private:
    std::promise<quint16> portPromise_;
    quint16 port_ = 0;
    std::atomic<int> accepted_{0};
};

// Holds SQLite's exclusive lock on a database file, as a program in the
// middle of writing to it would; nothing is written.
class ExclusiveLock
{
public:
    explicit ExclusiveLock(const QString &file)
    {
        if (sqlite3_open(QFile::encodeName(file).constData(), &db_) != SQLITE_OK ||
            sqlite3_exec(db_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK)
            qFatal("cannot lock %s", qPrintable(file));
    }
    ~ExclusiveLock()
    {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
    }

private:
    sqlite3 *db_ = nullptr;
};

// Another session on the test server that runs `sql` and then sleeps, as a
// long transaction would; ended when this object goes.
class BusySession
{
public:
    BusySession(const QString &database, const QString &sql)
        : session_(qEnvironmentVariable("KESTRELON_TEST_PG_SCRIPT"),
                   {QStringLiteral("psql"), qEnvironmentVariable("KESTRELON_TEST_PG_CLUSTER"),
                    QStringLiteral("-d"), database})
    {
        session_.write(QStringLiteral("SET application_name = 'busy';\n%1\nSELECT pg_sleep(600);\n")
                           .arg(sql)
                           .toUtf8());
        // Begun once the server shows it asleep.
        for (int tries = 0; tries < 600; ++tries) {
            if (postgres::value(database, QStringLiteral("SELECT count(*) FROM pg_stat_activity "
                                                         "WHERE application_name = 'busy' AND "
                                                         "query LIKE '%pg_sleep%'")) ==
                QLatin1String("1"))
                return;
            QThread::msleep(100);
        }
        qFatal("the busy session did not start");
    }
    ~BusySession()
    {
        postgres::run(QStringLiteral("postgres"),
                      QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                     "WHERE application_name = 'busy'"));
        session_.kill();
    }

private:
    Subprocess session_;
};

// The server process of the program's own session, stopped as by a debugger
// or a machine that froze, until this object goes.
class StoppedBackend
{
public:
    StoppedBackend()
        : pid_(postgres::value(QStringLiteral("postgres"),
                               QStringLiteral("SELECT pid FROM pg_stat_activity "
                                              "WHERE usename = 'user'"))
                   .toInt())
    {
        if (pid_ <= 0 || ::kill(pid_, SIGSTOP) != 0)
            qFatal("cannot stop the session's server process");
    }
    ~StoppedBackend() { ::kill(pid_, SIGCONT); }

private:
    pid_t pid_;
};

const QString timeOutMessage =
    QStringLiteral("The data source 'ds_hier' did not answer in time: nothing came back within "
                   "30 seconds. Please try again later.");

void verifyTimeOutBox(const QList<ShownBox> &boxes)
{
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().icon, QMessageBox::Critical);
    QVERIFY2(boxes.first().text.startsWith(timeOutMessage), qPrintable(boxes.first().text));
}

// Runs the start-up and says how long it took, in ms; its boxes join the
// texts searched for the password.
qint64 timedLoad(Form1 &form, const BoxCatcher &boxes, const char *situation)
{
    QElapsedTimer clock;
    clock.start();
    form.Form_Load();
    const qint64 waited = clock.elapsed();
    ShownTexts::instance().addBoxes(boxes);
    qInfo("%s: the start-up gave up after %lld ms", situation, waited);
    return waited;
}

// The address space the process has mapped so far, in bytes.
rlim_t mappedBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmSize:"))
            return rlim_t(line.mid(7).trimmed().split(' ').first().toULongLong()) * 1024;
    return 0;
}

// Qt blends large areas on threads of a pool of its own and waits for them;
// a pool thread it can no longer start, the address space used up, would
// keep it waiting for ever. Starting them before the limit is set keeps the
// test to the program's own allocations.
void startPaintingThreads()
{
    QImage image(1024, 1024, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.fillRect(image.rect(), QColor(128, 128, 128, 128));
}

// The window after one press of "Define" on the node with this key.
struct AfterPress
{
    QList<ShownBox> newBoxes;
    QString description;
    QString level;
};

AfterPress press(const FormProbe &probe, const BoxCatcher &boxes, const QString &key)
{
    const qsizetype before = boxes.boxes().size();
    probe.select(key);
    if (!probe.pressDefine())
        QTest::qFail("\"Define\" never ended", __FILE__, __LINE__);
    return {boxes.boxes().mid(before), probe.description(), probe.lbl_level->text()};
}

// The window still answers: a branch opens and closes with its pictures.
void expectWindowAnswers(const FormProbe &probe, const QString &branchKey)
{
    const QModelIndex branch = probe.tree->indexOf(probe.tree->item(branchKey));
    probe.tv->expand(branch);
    QCOMPARE(probe.tree->image(probe.tree->nodeAt(branch)), 2);
    probe.tv->collapse(branch);
    QCOMPARE(probe.tree->image(probe.tree->nodeAt(branch)), 1);
}

} // namespace

// Servers and files that fail under the program. Each case runs in a process
// of its own (see CMakeLists.txt): the driver manager keeps the data source
// settings it read for the life of a process.
class FaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ShownTexts::instance().collectLogLines(); }

    void cleanupTestCase()
    {
        const QStringList leaks = ShownTexts::instance().containing(QStringLiteral("tamarisk"));
        QVERIFY2(leaks.isEmpty(), qPrintable(leaks.join(u'\n')));
    }

    // The server goes away while the window is open, and comes back.
    void serverStopsAndReturns()
    {
        REQUIRE_POSTGRES();
        QVERIFY(postgres::userOnlyReads(QStringLiteral("kestrelon")));
        useOdbcIni(postgresDataSource());
        BoxCatcher boxes;
        Form1 form;
        auto collect = qScopeGuard([&] {
            ShownTexts::instance().addBoxes(boxes);
            ShownTexts::instance().addWindow(form);
        });
        auto restart = qScopeGuard([] { postgres::start(); });
        form.Form_Load();
        const FormProbe probe(form);
        QVERIFY(boxes.boxes().isEmpty());

        const AfterPress first = press(probe, boxes, QStringLiteral("Granite103"));
        QVERIFY(first.newBoxes.isEmpty());
        QVERIFY2(first.description.startsWith(QStringLiteral("Granite: ")),
                 qPrintable(first.description));
        QVERIFY(first.level.startsWith(QStringLiteral("Level: ")));

        postgres::stop();
        // Every press while the server is away reports, and changes nothing.
        for (const QString &key : {QStringLiteral("Granite103"), QStringLiteral("lith6")}) {
            const AfterPress lost = press(probe, boxes, key);
            QCOMPARE(lost.newBoxes.size(), 1);
            QCOMPARE(lost.newBoxes.first().icon, QMessageBox::Critical);
            QVERIFY2(lost.newBoxes.first().text.startsWith(QStringLiteral("Run-time error '")),
                     qPrintable(lost.newBoxes.first().text));
            QCOMPARE(lost.description, first.description);
            QCOMPARE(lost.level, first.level);
            expectWindowAnswers(probe, QStringLiteral("Granite103"));
        }

        // Back again: the next press connects anew, without a word, for
        // either hierarchy.
        postgres::start();
        restart.dismiss();
        const AfterPress back = press(probe, boxes, QStringLiteral("Granite103"));
        QVERIFY2(back.newBoxes.isEmpty(), qPrintable(back.newBoxes.value(0).text));
        QCOMPARE(back.description, first.description);
        QCOMPARE(back.level, first.level);
        const AfterPress age = press(probe, boxes, QStringLiteral("Cenozoic2"));
        QVERIFY2(age.newBoxes.isEmpty(), qPrintable(age.newBoxes.value(0).text));
        QVERIFY2(age.description.startsWith(QStringLiteral("Cenozoic: Era\r\nMinimum Age")),
                 qPrintable(age.description));
        expectWindowAnswers(probe, QStringLiteral("Granite103"));
    }

    // A SQLite view that computes for far longer than the time limit: the
    // driver has no time-out of its own, so the query is cancelled at the
    // limit, and the start-up says the data source did not answer in time.
    void slowSqliteViewAtStartUp()
    {
        useOdbcIni(sqliteDataSource(sqliteFile()));
        sqlite::create(sqliteFile(), {QStringLiteral(R"(
CREATE VIEW QryLithParent AS
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 4000000000)
SELECT 'Sand' AS Lithology, NULL AS Parent, 1 AS Lith_level, count(*) AS lith_id,
       NULL AS parent_id, NULL AS parent_level, 'grains' AS description FROM n)")});
        BoxCatcher boxes;
        Form1 form;
        timedLoad(form, boxes, "slow SQLite view");
        QVERIFY(form.isUnloaded());
        verifyTimeOutBox(boxes.boxes());
    }

    // Another session holds a table behind one of the views locked: the
    // start-up gives up at the time limit, says so, and the window never
    // opens, also when the lithology was read and only the stratigraphy waits.
    void tableLockedAtStartUp_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("lithology") << "lith_term";
        QTest::newRow("stratigraphy") << "strat_unit";
    }
    void tableLockedAtStartUp()
    {
        QFETCH(QString, table);
        REQUIRE_POSTGRES();
        postgres::useOwnServer();
        useOdbcIni(postgresDataSource());
        const BusySession locker(
            QStringLiteral("kestrelon"),
            QStringLiteral("BEGIN; LOCK TABLE %1 IN ACCESS EXCLUSIVE MODE;").arg(table));
        BoxCatcher boxes;
        Form1 form;
        timedLoad(form, boxes, qPrintable(QStringLiteral("locked ") + table));
        QVERIFY(form.isUnloaded());
        verifyTimeOutBox(boxes.boxes());
    }

    // Define on a view that takes minutes: the request gives up at the time
    // limit and says so; the window goes on, and Define works once the view
    // answers again.
    void slowViewOnDefine()
    {
        REQUIRE_POSTGRES();
        postgres::useOwnServer();
        useOdbcIni(postgresDataSource());
        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();
        const FormProbe probe(form);
        QVERIFY(boxes.boxes().isEmpty());
        const AfterPress first = press(probe, boxes, QStringLiteral("Granite103"));
        QVERIFY(first.newBoxes.isEmpty());

        QCOMPARE(postgres::run(QStringLiteral("kestrelon"), QStringLiteral(R"(
ALTER VIEW QryLithParent RENAME TO lith_quick;
CREATE VIEW QryLithParent AS SELECT q.* FROM lith_quick AS q CROSS JOIN pg_sleep(600) AS s;
GRANT SELECT ON QryLithParent TO "user";
)")),
                 0);
        QElapsedTimer clock;
        clock.start();
        const AfterPress slow = press(probe, boxes, QStringLiteral("Basalt146"));
        qInfo("slow view: Define gave up after %lld ms", clock.elapsed());
        verifyTimeOutBox(slow.newBoxes);
        expectWindowAnswers(probe, QStringLiteral("Granite103"));

        QCOMPARE(postgres::run(QStringLiteral("kestrelon"),
                               QStringLiteral("DROP VIEW QryLithParent; "
                                              "ALTER VIEW lith_quick RENAME TO QryLithParent;")),
                 0);
        const AfterPress again = press(probe, boxes, QStringLiteral("Granite103"));
        QVERIFY2(again.newBoxes.isEmpty(), qPrintable(again.newBoxes.value(0).text));
        QCOMPARE(again.description, first.description);
    }

    // The server process of the session stops while Define waits on it: no
    // time-out of the server's own can end that wait, so the connection is
    // cut off at the limit. Once the server runs again, Define connects anew.
    void stoppedServerOnDefine()
    {
        REQUIRE_POSTGRES();
        postgres::useOwnServer();
        useOdbcIni(postgresDataSource());
        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();
        const FormProbe probe(form);
        QVERIFY(boxes.boxes().isEmpty());
        const AfterPress first = press(probe, boxes, QStringLiteral("Granite103"));
        QVERIFY(first.newBoxes.isEmpty());
        {
            const StoppedBackend stopped;
            QElapsedTimer clock;
            clock.start();
            const AfterPress stuck = press(probe, boxes, QStringLiteral("Granite103"));
            qInfo("stopped server: Define gave up after %lld ms", clock.elapsed());
            verifyTimeOutBox(stuck.newBoxes);
            QCOMPARE(stuck.level, first.level);
            expectWindowAnswers(probe, QStringLiteral("Granite103"));
        }
        const AfterPress back = press(probe, boxes, QStringLiteral("Granite103"));
        QVERIFY2(back.newBoxes.isEmpty(), qPrintable(back.newBoxes.value(0).text));
        QCOMPARE(back.description, first.description);
        QCOMPARE(back.level, first.level);
        ShownTexts::instance().addBoxes(boxes);
    }

    // A server that takes the connection and never answers: the start-up
    // gives up after the login time-out with the connection message.
    void silentServer()
    {
        SilentServer server;
        useOdbcIni(QStringLiteral("[ds_hier]\nDriver=%1\nServername=127.0.0.1\nPort=%2\n"
                                  "Database=kestrelon\n")
                       .arg(qEnvironmentVariable("KESTRELON_TEST_PG_DRIVER",
                                                 QStringLiteral("PostgreSQL Unicode")))
                       .arg(server.port()));
        BoxCatcher boxes;
        Form1 form;
        const qint64 waited = timedLoad(form, boxes, "silent server");

        QVERIFY(server.accepted() >= 1);
        QVERIFY(form.isUnloaded());
        QCOMPARE(boxes.boxes().size(), 1);
        QCOMPARE(boxes.boxes().first().text, connectionMessage);
        // Not a measurement: a bound that tells "gave up" from "hung".
        QVERIFY2(waited < 60000, qPrintable(QString::number(waited)));
    }

    // Another program holds the SQLite file's exclusive lock: the start-up
    // waits as long as the data source allows, then reports. Taken after
    // the start-up, the lock fails "Define" the same way, and once it is
    // released "Define" works again.
    void lockedSqliteFile()
    {
        useOdbcIni(sqliteDataSource(sqliteFile()));
        sqlite::create(
            sqliteFile(),
            sqlite::rowSet(QStringLiteral("QryLithParent"), sqlite::lithologyColumns(),
                           {{"Sand", QVariant(), 1, 1, QVariant(), QVariant(), "grains"}}));
        const QByteArray before = sqlite::checksum(sqliteFile());
        {
            auto lock = std::make_unique<ExclusiveLock>(sqliteFile());
            BoxCatcher boxes;
            Form1 form;
            const qint64 waited = timedLoad(form, boxes, "locked file");
            QVERIFY(form.isUnloaded());
            QCOMPARE(boxes.boxes().size(), 1);
            QCOMPARE(boxes.boxes().first().icon, QMessageBox::Critical);
            QVERIFY2(boxes.boxes().first().text.contains(QStringLiteral("database is locked")),
                     qPrintable(boxes.boxes().first().text));
            QVERIFY2(waited < 60000, qPrintable(QString::number(waited)));
        }
        {
            BoxCatcher boxes;
            Form1 form;
            form.Form_Load();
            const FormProbe probe(form);
            QVERIFY(boxes.boxes().isEmpty());
            auto lock = std::make_unique<ExclusiveLock>(sqliteFile());
            QElapsedTimer clock;
            clock.start();
            const AfterPress locked = press(probe, boxes, QStringLiteral("Sand1"));
            qInfo("locked file: Define gave up after %lld ms", clock.elapsed());
            QCOMPARE(locked.newBoxes.size(), 1);
            QCOMPARE(locked.newBoxes.first().icon, QMessageBox::Critical);
            QVERIFY2(locked.newBoxes.first().text.contains(QStringLiteral("locked")),
                     qPrintable(locked.newBoxes.first().text));
            QCOMPARE(locked.description, QString());
            lock.reset();
            const AfterPress released = press(probe, boxes, QStringLiteral("Sand1"));
            QVERIFY(released.newBoxes.isEmpty());
            QCOMPARE(released.description, QStringLiteral("Sand: grains"));
            QCOMPARE(released.level, QStringLiteral("Level: 1"));
            ShownTexts::instance().addBoxes(boxes);
        }
        QCOMPARE(sqlite::checksum(sqliteFile()), before);
    }

    // A 50 MB definition with too little memory to read it: whichever
    // allocation fails, the driver's or the program's, the start-up ends
    // with a critical box, as a failure to read does, or loads; it never
    // aborts.
    void outOfMemoryAtStart_data()
    {
        QTest::addColumn<int>("spareMegabytes");
        for (int spare = 100; spare <= 500; spare += 50)
            QTest::addRow("%d MB to spare", spare) << spare;
    }
    void outOfMemoryAtStart()
    {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        QSKIP("The sanitizer needs more address space than the limit leaves");
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
        QSKIP("The sanitizer needs more address space than the limit leaves");
#endif
#endif
        QFETCH(int, spareMegabytes);
        static const bool created = [] {
            useOdbcIni(sqliteDataSource(sqliteFile()));
            sqlite::create(
                sqliteFile(),
                sqlite::rowSet(QStringLiteral("QryLithParent"), sqlite::lithologyColumns(),
                               {{"Sand", QVariant(), 1, 1, QVariant(), QVariant(), ""}})
                    << QStringLiteral("INSERT INTO QryLithParent_rows SELECT 'Huge', "
                                      "NULL, 1, 2, NULL, NULL, hex(zeroblob(25000000))"));
            return true;
        }();
        QVERIFY(created);
        BoxCatcher boxes;
        Form1 form;
        startPaintingThreads();
        rlimit limit{};
        QCOMPARE(getrlimit(RLIMIT_AS, &limit), 0);
        const rlimit unlimited = limit;
        limit.rlim_cur = mappedBytes() + rlim_t(spareMegabytes) * 1024 * 1024;
        QCOMPARE(setrlimit(RLIMIT_AS, &limit), 0);
        form.Form_Load();
        QCOMPARE(setrlimit(RLIMIT_AS, &unlimited), 0);
        ShownTexts::instance().addBoxes(boxes);

        if (!form.isUnloaded()) {
            QVERIFY(boxes.boxes().isEmpty());
            return;
        }
        QCOMPARE(boxes.boxes().size(), 1);
        const ShownBox &box = boxes.boxes().first();
        qInfo("%d MB to spare: %s", spareMegabytes, qPrintable(box.text.simplified()));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY2(box.text.startsWith(QStringLiteral("Run-time error '")), qPrintable(box.text));
    }
};

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
