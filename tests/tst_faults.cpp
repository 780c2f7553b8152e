#include "support/BoxCatcher.h"
#include "support/DataSources.h"
#include "support/FormProbe.h"
#include "support/ShownTexts.h"
#include "support/SqliteFile.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <atomic>
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
    probe.btn_define->click();
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

        postgres::start();
        restart.dismiss();
        const AfterPress back = press(probe, boxes, QStringLiteral("Granite103"));
        if (back.newBoxes.isEmpty()) {
            qInfo("server back: the driver reconnected and Define works again");
            QCOMPARE(back.description, first.description);
            QCOMPARE(back.level, first.level);
        } else {
            // The driver does not reconnect: each press keeps saying so.
            qInfo("server back: the driver keeps the lost connection; Define reports: %s",
                  qPrintable(back.newBoxes.first().text));
            QCOMPARE(back.newBoxes.size(), 1);
            QCOMPARE(back.newBoxes.first().icon, QMessageBox::Critical);
            QVERIFY(back.newBoxes.first().text.startsWith(QStringLiteral("Run-time error '")));
            const AfterPress again = press(probe, boxes, QStringLiteral("Granite103"));
            QCOMPARE(again.newBoxes.size(), 1);
            QCOMPARE(again.newBoxes.first().text, back.newBoxes.first().text);
        }
        expectWindowAnswers(probe, QStringLiteral("Granite103"));
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
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer needs more address space than the limit leaves");
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
        QSKIP("AddressSanitizer needs more address space than the limit leaves");
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
