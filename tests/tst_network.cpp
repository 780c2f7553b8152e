// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/BoxCatcher.h"
#include "support/DataSources.h"
#include "support/FormProbe.h"
#include "support/NetworkLink.h"
#include "support/ProgressCanceller.h"
#include "support/ShownTexts.h"

#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <condition_variable>
#include <csignal>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

using namespace kestrelon;
using namespace testsupport;

namespace {

const QString bigDatabase = QStringLiteral("kestrelon_big");

// Terms in the large vocabulary, and the bytes each takes on the wire,
// about: twenty first-level terms, the rest below them, each with a
// definition of some 90 characters.
constexpr int bigTerms = 100000;
constexpr int bytesPerTerm = 140;

// A vocabulary of `terms` terms in a database of its own on the link's
// server.
void createBigVocabulary(int terms)
{
    QCOMPARE(
        postgres::run(QStringLiteral("postgres"),
                      QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE); CREATE DATABASE %1")
                          .arg(bigDatabase)),
        0);
    QCOMPARE(postgres::run(bigDatabase, QStringLiteral(R"(
CREATE TABLE term AS
SELECT i AS lith_id, 'Term ' || i AS lithology,
       CASE WHEN i <= 20 THEN NULL ELSE (i % 20) + 1 END AS parent_id,
       CASE WHEN i <= 20 THEN 1 ELSE 2 END AS lith_level,
       'Grains laid down in water and pressed to stone over a long time; sample ' || i AS description
FROM generate_series(1, %1) AS i;
CREATE INDEX term_name ON term (lithology);
ANALYZE term;
CREATE VIEW QryLithParent AS
SELECT t.lithology AS Lithology, p.lithology AS Parent, t.lith_level AS Lith_level, t.lith_id,
       t.parent_id, p.lith_level AS parent_level, t.description
FROM term AS t LEFT JOIN term AS p ON p.lith_id = t.parent_id ORDER BY t.lith_level, t.lith_id;
GRANT CONNECT ON DATABASE kestrelon_big TO "user";
GRANT SELECT ON QryLithParent TO "user";
)")
                                            .arg(terms)),
             0);
}

// The rate (tc's units) at which the large vocabulary takes about
// `seconds` to arrive.
QString rateFor(int terms, int seconds)
{
    return QStringLiteral("%1kbit").arg(qint64(terms) * bytesPerTerm * 8 / 1000 / seconds);
}

// The large vocabulary behind a link that takes about 45 s to bring it.
NetworkLink &slowLinkToBigVocabulary()
{
    NetworkLink &link = NetworkLink::instance();
    createBigVocabulary(bigTerms);
    useOdbcIni(link.dataSource(bigDatabase));
    link.setRate(rateFor(bigTerms, 45));
    return link;
}

// Ends the test process when the program has not come back in time: a
// window's thread held inside the driver answers nothing, not even a test.
class HangGuard
{
public:
    HangGuard(std::chrono::seconds limit, const char *what)
        : thread_([this, limit, what] {
              std::unique_lock lock(mutex_);
              if (!ended_.wait_for(lock, limit, [this] { return done_; }))
                  qFatal("still waiting after %lld s: %s", qint64(limit.count()), what);
          })
    {
    }
    ~HangGuard()
    {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        ended_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::thread thread_;
};

// How long the window's thread went without answering its events, at
// most, while this object lived.
class Heartbeat
{
public:
    Heartbeat()
    {
        QObject::connect(&timer_, &QTimer::timeout,
                         [this] { longest_ = qMax(longest_, sinceLast_.restart()); });
        sinceLast_.start();
        timer_.start(20);
    }
    qint64 longestGap()
    {
        longest_ = qMax(longest_, sinceLast_.elapsed());
        return longest_;
    }

private:
    QTimer timer_;
    QElapsedTimer sinceLast_;
    qint64 longest_ = 0;
};

// What the progress window of a start-up showed, each text once, in turn.
class ProgressWatch
{
public:
    ProgressWatch()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const QProgressDialog *window = ProgressCanceller::find();
            if (window && window->isVisible() &&
                (texts_.isEmpty() || texts_.last() != window->labelText()))
                texts_ << window->labelText();
        });
        timer_.start(50);
    }
    const QStringList &texts() const { return texts_; }

private:
    QTimer timer_;
    QStringList texts_;
};

// The number the progress text shows first, without its group separators.
qint64 shownNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("[0-9][0-9,.]*"));
    return number.match(text).captured().remove(u',').toDouble() *
           (text.contains(QLatin1String("MB")) ? 1000 : 1);
}

// Runs `action` once the start-up has run `milliseconds`, from inside it.
void during(int milliseconds, std::function<void()> action)
{
    QTimer::singleShot(milliseconds, std::move(action));
}

// Reading through a cursor in batches, small enough that a break falls in
// the middle of one.
const QStringList smallBatches{QStringLiteral("UseDeclareFetch=1"), QStringLiteral("Fetch=1000")};

void pressCancel()
{
    QProgressDialog *window = ProgressCanceller::find();
    QVERIFY2(window && window->isVisible(), "no progress window to cancel");
    QTest::mouseClick(window->findChild<QPushButton *>(), Qt::LeftButton);
}

// Waits until the link's server takes connections again: after a server
// process was killed, the server restarts all of them.
void waitForServer()
{
    QElapsedTimer waited;
    waited.start();
    while (postgres::value(QStringLiteral("postgres"), QStringLiteral("SELECT 1")) !=
           QLatin1String("1")) {
        QVERIFY2(waited.elapsed() < 60000, "the server did not come back");
        QTest::qWait(200);
    }
}

// The session's server process, as the server lists it.
int backendPid()
{
    return postgres::value(QStringLiteral("postgres"),
                           QStringLiteral("SELECT pid FROM pg_stat_activity WHERE usename = 'user' "
                                          "ORDER BY backend_start DESC LIMIT 1"))
        .toInt();
}

// The large vocabulary's rows, each sent after the server has slept a
// little: a millisecond, about, for each.
const QString slowRowsView = QStringLiteral(R"(
CREATE OR REPLACE VIEW QryLithParent AS
SELECT r.* FROM (SELECT t.lithology AS Lithology, p.lithology AS Parent, t.lith_level AS Lith_level,
                        t.lith_id, t.parent_id, p.lith_level AS parent_level, t.description
                 FROM term AS t LEFT JOIN term AS p ON p.lith_id = t.parent_id
                 ORDER BY t.lith_level, t.lith_id) AS r,
     LATERAL (SELECT pg_sleep(0.0003 + 0 * r.lith_id)) AS s;
)");

// The demo database's view, made to sleep 600 s before it answers, so
// that a Define waits on the server; and put back.
const QString sleepingView = QStringLiteral(R"(
ALTER VIEW QryLithParent RENAME TO lith_quick;
CREATE VIEW QryLithParent AS SELECT q.* FROM lith_quick AS q CROSS JOIN pg_sleep(600) AS s;
GRANT SELECT ON QryLithParent TO "user";
)");
const QString quickView =
    QStringLiteral("DROP VIEW QryLithParent; ALTER VIEW lith_quick RENAME TO QryLithParent;");

} // namespace

// The program on a network link that is slow, stalls, is cut or resets,
// between it and a PostgreSQL server in a network namespace of its own.
// Each case runs in a process of its own, with a link and server of its
// own (see CMakeLists.txt), so the cases that wait out a time limit run
// beside each other.
class NetworkTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        REQUIRE_NETWORK_LINK();
        ShownTexts::instance().collectLogLines();
        NetworkLink::instance();
    }

    // Each case starts on a link that passes everything at full speed.
    void init()
    {
        NetworkLink &link = NetworkLink::instance();
        link.setState(QStringLiteral("up"));
        link.setRate(QStringLiteral("off"));
        for (const char *command : {"pass", "reset-after 0", "hold-after 0", "hold-after-turns 0"})
            link.proxy(QString::fromLatin1(command));
        waitForServer();
    }

    void cleanupTestCase()
    {
        const QStringList leaks = ShownTexts::instance().containing(QStringLiteral("tamarisk"));
        QVERIFY2(leaks.isEmpty(), qPrintable(leaks.join(u'\n')));
    }

    // A vocabulary that takes about 45 s to arrive over a slow link loads:
    // the time limit measures silence, not length. Meanwhile the progress
    // window counts what arrives: in bytes until the driver hands over the
    // first batch of rows, then in rows, batch by batch.
    // Bound: the load completes, and the count grows at least every 5 s.
    void slowLinkLoads()
    {
        slowLinkToBigVocabulary();
        const HangGuard guard(std::chrono::minutes(4), "a slow link's start-up");

        BoxCatcher boxes;
        Form1 form;
        const ProgressWatch progress;
        QElapsedTimer clock;
        clock.start();
        form.Form_Load();
        const qint64 took = clock.elapsed();
        qInfo("loaded in %lld ms; the progress window showed %lld counts", took,
              qint64(progress.texts().size()));
        ShownTexts::instance().addBoxes(boxes);

        QVERIFY2(boxes.boxes().isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QVERIFY(!form.isUnloaded());
        const FormProbe probe(form);
        QCOMPARE(probe.tree->childCount(probe.tree->item(QStringLiteral("lith6"))), 20);
        QVERIFY2(took > 36000, "the link was not slow enough to test the time limit");
        const QStringList &texts = progress.texts();
        QVERIFY2(texts.size() >= took / 5000, qPrintable(texts.join(u'\n')));
        const QStringList inRows = texts.filter(QStringLiteral(" rows"));
        QVERIFY2(inRows.size() >= took / 2 / 5000, qPrintable(texts.join(u'\n')));
        for (const QString &unit : {QStringLiteral("MB received"), QStringLiteral(" rows")}) {
            const QStringList withUnit = texts.filter(unit);
            for (qsizetype i = 1; i < withUnit.size(); ++i)
                QVERIFY2(shownNumber(withUnit[i]) >= shownNumber(withUnit[i - 1]),
                         qPrintable(withUnit.join(u'\n')));
        }
    }
    // Define waits for the server when the link stops passing anything:
    // every packet lost (a black hole: even a new connection waits until
    // it gives up) or the far end gone. Escape ends the request, and
    // closing the window closes it, within a second, while the window
    // answers throughout; once the link is back, Define works again.
    // Bound: Escape or close within 1 s; no pause of the window over 1 s.
    void stalledLinkDuringDefine_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("during");
        QTest::newRow("Escape, black hole") << "black-hole"
                                            << "Escape";
        QTest::newRow("Escape, cut") << "cut"
                                     << "Escape";
        QTest::newRow("close, black hole") << "black-hole"
                                           << "close";
    }
    void stalledLinkDuringDefine()
    {
        QFETCH(QString, state);
        QFETCH(QString, during);
        NetworkLink &link = NetworkLink::instance();
        useOdbcIni(link.dataSource(QStringLiteral("kestrelon")));
        const HangGuard guard(std::chrono::minutes(3), "a Define on a stalled link");
        BoxCatcher boxes;
        auto *form = new Form1;
        auto deleteForm = qScopeGuard([&] { delete form; });
        form->Form_Load();
        form->show();
        const FormProbe probe(*form);
        probe.select(QStringLiteral("Granite103"));
        QVERIFY(probe.pressDefine());
        const QString granite = probe.description();
        QVERIFY2(boxes.boxes().isEmpty(), qPrintable(boxes.texts().join(u'\n')));

        QCOMPARE(postgres::run(QStringLiteral("kestrelon"), sleepingView), 0);
        auto restore = qScopeGuard([&] {
            link.setState(QStringLiteral("up"));
            postgres::run(QStringLiteral("kestrelon"), quickView);
        });
        Heartbeat heartbeat;
        probe.select(QStringLiteral("Basalt146"));
        QTest::mouseClick(probe.btn_define, Qt::LeftButton);
        QTest::qWait(500);
        link.setState(state);
        QTest::qWait(500);
        QElapsedTimer clock;
        clock.start();
        if (during == "close") {
            form->close();
            QVERIFY(!form->isVisible());
            deleteForm.dismiss();
            delete form;
            qInfo("closed in %lld ms", clock.elapsed());
            QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
            QVERIFY2(heartbeat.longestGap() < 1000,
                     qPrintable(QString::number(heartbeat.longestGap())));
            return;
        }
        QSignalSpy shown(form, &Form1::detailsShown);
        QTest::keyClick(probe.tv, Qt::Key_Escape);
        QVERIFY(shown.count() == 1 || shown.wait(1000));
        qInfo("Escape took effect in %lld ms", clock.elapsed());
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(probe.description(), granite);
        QVERIFY(probe.btn_define->isEnabled());
        QTest::qWait(2000);
        QVERIFY2(heartbeat.longestGap() < 1000,
                 qPrintable(QString::number(heartbeat.longestGap())));
        QVERIFY2(boxes.boxes().isEmpty(), qPrintable(boxes.texts().join(u'\n')));

        // The link comes back: the connection is repaired or replaced, and
        // Define shows the term again.
        restore.dismiss();
        link.setState(QStringLiteral("up"));
        QCOMPARE(postgres::run(QStringLiteral("kestrelon"), quickView), 0);
        probe.select(QStringLiteral("Granite103"));
        clock.restart();
        QVERIFY(probe.pressDefine(90000));
        qInfo("Define after the link came back: %lld ms", clock.elapsed());
        QVERIFY2(boxes.boxes().isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QCOMPARE(probe.description(), granite);
    }

    // The link stops passing anything 8 s into a start-up that reads a
    // large vocabulary over a slow link, and the user clicks Cancel at
    // 12 s: the start-up ends at once, without a message.
    // Bound: Cancel within 1 s; no pause of the window over 1 s.
    void stalledLinkDuringStartUp_data()
    {
        QTest::addColumn<QString>("state");
        QTest::newRow("black hole") << "black-hole";
        QTest::newRow("cut") << "cut";
    }
    void stalledLinkDuringStartUp()
    {
        QFETCH(QString, state);
        NetworkLink &link = slowLinkToBigVocabulary();
        const HangGuard guard(std::chrono::minutes(3), "a start-up cancelled on a stalled link");

        BoxCatcher boxes;
        Form1 form;
        // The start-up answers nothing in its first second, before the
        // progress window shows; from then on it keeps answering.
        std::optional<Heartbeat> heartbeat;
        during(2000, [&] { heartbeat.emplace(); });
        QElapsedTimer clock;
        during(8000, [&] { link.setState(state); });
        during(12000, [&] {
            clock.start();
            pressCancel();
        });
        form.Form_Load();
        QVERIFY2(clock.isValid(), "the start-up ended before Cancel");
        qInfo("Cancel took effect in %lld ms", clock.elapsed());
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(form.isUnloaded());
        QVERIFY2(boxes.boxes().isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QVERIFY(heartbeat);
        QVERIFY2(heartbeat->longestGap() < 1000,
                 qPrintable(QString::number(heartbeat->longestGap())));
    }

    // The connection breaks while the driver reads rows in batches: a
    // reset from the network, the session's server process killed (as by
    // the out-of-memory killer) while it sends rows, the link cut, or the
    // server stalling (where the program gives up after 35 s of silence).
    // The start-up says why and ends; Define says why, and the window goes
    // on and connects anew for the next one.
    // Bound: no crash; the message within 35 s of silence.
    void brokenConnection_data()
    {
        QTest::addColumn<QString>("breaking");
        QTest::addColumn<bool>("atStartUp");
        QTest::newRow("reset at start-up") << "reset" << true;
        QTest::newRow("server killed at start-up") << "kill" << true;
        QTest::newRow("link cut at start-up") << "cut" << true;
        QTest::newRow("reset during Define") << "reset" << false;
        QTest::newRow("server stalls during Define") << "hold" << false;
    }
    void brokenConnection()
    {
        QFETCH(QString, breaking);
        QFETCH(bool, atStartUp);
        NetworkLink &link = NetworkLink::instance();
        createBigVocabulary(bigTerms);
        useOdbcIni(link.dataSource(bigDatabase, smallBatches));
        const HangGuard guard(std::chrono::minutes(3), "a broken connection");
        BoxCatcher boxes;
        Form1 form;
        auto collect = qScopeGuard([&] { ShownTexts::instance().addBoxes(boxes); });
        QElapsedTimer sinceBroken;
        if (atStartUp) {
            if (breaking == "reset") {
                link.proxy(QStringLiteral("reset-after 8000000"));
            } else if (breaking == "kill") {
                // The server takes about half a minute over the rows, and
                // is killed a few seconds in, while it sends them.
                QCOMPARE(postgres::run(bigDatabase, slowRowsView), 0);
                during(3000, [&] {
                    ::kill(backendPid(), SIGKILL);
                    sinceBroken.start();
                });
            } else {
                link.setRate(rateFor(bigTerms, 45));
                during(7000, [&] {
                    link.setState(QStringLiteral("cut"));
                    sinceBroken.start();
                });
            }
            form.Form_Load();
            QVERIFY(form.isUnloaded());
            QCOMPARE(boxes.boxes().size(), 1);
        } else {
            form.Form_Load();
            QVERIFY(!form.isUnloaded());
            const FormProbe probe(form);
            // "Term 1" (its key "Term 11"), whose name begins 11,112 names.
            probe.select(QStringLiteral("Term 11"));
            // Define asks only for the matching rows' names and levels, some
            // 26 bytes a row: the link breaks a few thousand rows in.
            link.proxy(QStringLiteral("%1-after %2").arg(breaking).arg(2000 * 26));
            QVERIFY(probe.pressDefine(60000));
            QCOMPARE(boxes.boxes().size(), 1);
            QCOMPARE(probe.description(), QString());
            link.proxy(QStringLiteral("%1-after 0").arg(breaking));
            probe.select(QStringLiteral("Term 22"));
            QVERIFY(probe.pressDefine(60000));
            QCOMPARE(boxes.boxes().size(), 1);
            QVERIFY2(probe.description().startsWith(QStringLiteral("Term 2: ")),
                     qPrintable(probe.description()));
        }
        const ShownBox &box = boxes.boxes().first();
        QCOMPARE(box.icon, QMessageBox::Critical);
        qInfo("%s", qPrintable(box.text.simplified()));
        if (sinceBroken.isValid()) {
            qInfo("the message came %lld ms after the break", sinceBroken.elapsed());
            QVERIFY2(sinceBroken.elapsed() < 37000,
                     qPrintable(QString::number(sinceBroken.elapsed())));
        }
    }

    // The round trips that a start-up on the demo data and a Define wait
    // for, as the proxy counts the client's turns: the login (3), the
    // driver's own two statements, the catalogue, whether the stratigraphy
    // may be read, the lithology's rows (one batch), then the
    // stratigraphy's rows with the end of the lithology's transaction; one
    // for each Define. The TCP connect adds a round trip of its own.
    // Bound: at most 9 turns at start-up, 1 for a Define.
    void roundTrips()
    {
        NetworkLink &link = NetworkLink::instance();
        useOdbcIni(link.dataSource(QStringLiteral("kestrelon")));
        // "connections C turns T up U down D"
        const auto turns = [&link] {
            return link.proxy(QStringLiteral("count")).section(u' ', 3, 3).toInt();
        };
        link.proxy(QStringLiteral("zero"));
        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();
        QVERIFY2(boxes.boxes().isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        const int atStart = turns();
        const FormProbe probe(form);
        probe.select(QStringLiteral("Granite103"));
        QVERIFY(probe.pressDefine());
        const int define = turns() - atStart;
        qInfo("start-up: %d turns; Define: %d", atStart, define);
        QVERIFY2(atStart <= 9, qPrintable(QString::number(atStart)));
        QCOMPARE(define, 1);
        QVERIFY(probe.description().startsWith(QStringLiteral("Granite: ")));
    }

    // The server stops answering right after it accepted the login, before
    // the session is ready for queries: the start-up gives up and says that
    // the data source cannot be reached.
    // Bound: the message within 35 s.
    void stallAfterLogin()
    {
        NetworkLink &link = NetworkLink::instance();
        useOdbcIni(link.dataSource(QStringLiteral("kestrelon")));
        // The client's turns up to the login: its start-up message and the
        // two steps of the password exchange.
        link.proxy(QStringLiteral("hold-after-turns 3"));
        const HangGuard guard(std::chrono::minutes(2),
                              "a start-up whose server stalls after the login");
        BoxCatcher boxes;
        Form1 form;
        QElapsedTimer clock;
        clock.start();
        form.Form_Load();
        qInfo("the start-up gave up after %lld ms", clock.elapsed());
        QVERIFY(form.isUnloaded());
        QCOMPARE(boxes.boxes().size(), 1);
        QCOMPARE(boxes.boxes().first().text,
                 QStringLiteral("Cannot find ODBC source.\r\nPlease make sure you have an ODBC "
                                "Datasource named 'ds_hier'"));
        QVERIFY2(clock.elapsed() < 35000, qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_MAIN(NetworkTest)
#include "tst_network.moc"
