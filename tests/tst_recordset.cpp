// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/DataSources.h"
#include "support/SqliteFile.h"

#include "data/Database.h"
#include "data/Engine.h"
#include "data/Error.h"
#include "data/Recordset.h"
#include "data/Workspace.h"
#include "support/ErrorNumber.h"

#include <QRandomGenerator>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

using namespace kestrelon;
using namespace testsupport;

Q_DECLARE_METATYPE(kestrelon::FieldValue)
Q_DECLARE_METATYPE(kestrelon::CursorType)

namespace {

} // namespace

class RecordsetTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useOdbcIni(sqliteDataSource(sqliteFile())); }

    void valuesArriveAsTheirKind_data()
    {
        QTest::addColumn<QString>("declared");
        QTest::addColumn<QString>("literal");
        QTest::addColumn<FieldValue>("expected");
        QTest::newRow("integer") << "INTEGER"
                                 << "42" << FieldValue::whole(42);
        QTest::newRow("64-bit integer") << "INTEGER"
                                        << "5000000000" << FieldValue::whole(5000000000);
        QTest::newRow("negative") << "INTEGER"
                                  << "-7" << FieldValue::whole(-7);
        QTest::newRow("real") << "REAL"
                              << "0.0117" << FieldValue::fractional(0.0117);
        QTest::newRow("double") << "DOUBLE"
                                << "538.8" << FieldValue::fractional(538.8);
        QTest::newRow("text") << "TEXT"
                              << "'granite'" << FieldValue::text("granite");
        QTest::newRow("number held as text") << "TEXT"
                                             << "'1'" << FieldValue::text("1");
        QTest::newRow("null integer") << "INTEGER"
                                      << "NULL" << FieldValue::null();
        QTest::newRow("null text") << "TEXT"
                                   << "NULL" << FieldValue::null();
        QTest::newRow("empty text") << "TEXT"
                                    << "''" << FieldValue::text("");
        QTest::newRow("accents and emoji")
            << "TEXT" << QString::fromUtf8("'gr\u00e9s \U0001F600'")
            << FieldValue::text(QString::fromUtf8("gr\u00e9s \U0001F600"));
        QTest::newRow("right to left")
            << "TEXT" << QString::fromUtf8("'\u05d2\u05e8\u05e0\u05d9\u05d8'")
            << FieldValue::text(QString::fromUtf8("\u05d2\u05e8\u05e0\u05d9\u05d8"));
        QTest::newRow("line breaks and tabs")
            << "TEXT"
            << "'a' || char(13,10,9) || 'b'" << FieldValue::text("a\r\n\tb");
    }
    void valuesArriveAsTheirKind()
    {
        QFETCH(QString, declared);
        QFETCH(QString, literal);
        QFETCH(FieldValue, expected);
        auto db = openSqlite({QStringLiteral("CREATE TABLE t (v %1)").arg(declared),
                              QStringLiteral("INSERT INTO t VALUES (%1)").arg(literal)});
        auto rows = db->openRecordset(QStringLiteral("t"));
        QVERIFY(!rows->eof());
        QCOMPARE(rows->field(QStringLiteral("v")), expected);
    }

    // SQLite keeps what it is given whatever a column's declared type; rows
    // after the first come through bound buffers, and must read the same.
    void numberColumnsHoldWhatWasStored()
    {
        const QList<FieldValue> expected{
            FieldValue::whole(7),  FieldValue::fractional(1.5),
            FieldValue::text("x"), FieldValue::text(QString::fromUtf8("\u00e9")),
            FieldValue::whole(-2), FieldValue::text(QString(60, u'z')),
            FieldValue::null(),    FieldValue::whole(9),
        };
        auto db = openSqlite(
            {QStringLiteral("CREATE TABLE t (n INTEGER)"),
             QStringLiteral("INSERT INTO t VALUES (7), (1.5), ('x'), ('\u00e9'), (' -2 '), "
                            "(printf('%.60c', 'z')), "
                            "(NULL), (9)")});
        for (const auto &columns : {QStringList{}, QStringList{QStringLiteral("n")}}) {
            auto rows = columns.isEmpty() ? db->openRecordset(QStringLiteral("t"))
                                          : db->openRecordset(QStringLiteral("t"), columns);
            QList<FieldValue> read;
            for (; !rows->eof(); rows->moveNext())
                read << rows->value(0);
            QCOMPARE(read, expected);
        }
    }

    void longTextArrivesWhole()
    {
        auto db = openSqlite(
            {QStringLiteral("CREATE TABLE t (v TEXT)"),
             QStringLiteral(
                 "INSERT INTO t VALUES (replace(hex(zeroblob(300000)), '00', 'ab\u00e9'))")});
        auto rows = db->openRecordset(QStringLiteral("t"));
        const QString text = rows->field(QStringLiteral("v")).toText();
        QCOMPARE(text.size(), 3 * 300000);
        QVERIFY(text.startsWith(QString::fromUtf8("ab\u00e9ab\u00e9")));
        QVERIFY(text.endsWith(QString::fromUtf8("ab\u00e9")));
    }

    void columnsAreFoundWithoutRegardToCase()
    {
        auto db = openSqlite({QStringLiteral("CREATE TABLE t (Lithology TEXT, lith_level INTEGER)"),
                              QStringLiteral("INSERT INTO t VALUES ('clay', 3)")});
        auto rows = db->openRecordset(QStringLiteral("t"));
        QCOMPARE(rows->fieldIndex(QStringLiteral("lithology")), 0);
        QCOMPARE(rows->fieldIndex(QStringLiteral("LITH_LEVEL")), 1);
        // Read in any order and more than once.
        QCOMPARE(rows->value(1), FieldValue::whole(3));
        QCOMPARE(rows->value(0), FieldValue::text("clay"));
        QCOMPARE(rows->value(1), FieldValue::whole(3));
        QString description;
        QCOMPARE(errorNumberOf([&] { rows->fieldIndex(QStringLiteral("parent")); }, &description),
                 int(ColumnNotFound));
        QVERIFY(description.contains(QStringLiteral("parent")));
    }

    void walkingForwardAndBack()
    {
        auto db = openSqlite({QStringLiteral("CREATE TABLE t (n INTEGER)"),
                              QStringLiteral("INSERT INTO t VALUES (1), (2), (3)")});
        for (CursorType type : {CursorType::ForwardOnly, CursorType::Rewindable}) {
            auto rows = db->openRecordset(QStringLiteral("t"), type);
            QList<qint64> seen;
            for (; !rows->eof(); rows->moveNext())
                seen << rows->value(0).wholeNumber();
            QCOMPARE(seen, (QList<qint64>{1, 2, 3}));
            QCOMPARE(errorNumberOf([&] { rows->moveNext(); }), int(NoCurrentRow));
            QCOMPARE(errorNumberOf([&] { rows->value(0); }), int(NoCurrentRow));
            if (type == CursorType::Rewindable) {
                rows->moveFirst();
                QVERIFY(!rows->eof());
                QCOMPARE(rows->value(0), FieldValue::whole(1));
                rows->moveNext();
                rows->moveFirst();
                QCOMPARE(rows->value(0), FieldValue::whole(1));
            }
        }
    }

    // The window's thread may stop a read at any moment: while the query
    // runs, between fetches, as the cursor reaches its end. The reader then
    // stops with a cancel or has read every row, nothing it still uses is
    // freed under it, and the connection serves the next query.
    void cancelFromAnotherThreadAtAnyMoment_data()
    {
        QTest::addColumn<CursorType>("type");
        QTest::addColumn<QString>("rowSet");
        QTest::addColumn<int>("rows");
        QTest::newRow("forward only") << CursorType::ForwardOnly << QStringLiteral("slow") << 2000;
        QTest::newRow("rewindable") << CursorType::Rewindable << QStringLiteral("slow") << 2000;
        // Large enough for SQLite to sort in parts, on its helper threads.
        QTest::newRow("sorted on helper threads")
            << CursorType::ForwardOnly << QStringLiteral("sorted") << 60000;
    }
    void cancelFromAnotherThreadAtAnyMoment()
    {
        QFETCH(CursorType, type);
        QFETCH(QString, rowSet);
        QFETCH(int, rows);
        auto db = openSqlite(
            {QStringLiteral("CREATE TABLE t (n INTEGER PRIMARY KEY, words TEXT)"),
             QStringLiteral("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c "
                            "WHERE n < %1) INSERT INTO t SELECT n, printf('%.100c%d', 'w', "
                            "n * 7919 % 60013) FROM c")
                 .arg(rows),
             // Some work for each row, so that a cancel can find it running.
             QStringLiteral(
                 "CREATE VIEW slow AS SELECT t.* FROM t WHERE (WITH RECURSIVE "
                 "c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < 20 + t.n % 2) "
                 "SELECT count(*) FROM c) > 0"),
             QStringLiteral("CREATE VIEW sorted AS SELECT * FROM t ORDER BY words")});
        // The connection lets SQLite sort on helper threads.
        QVERIFY(db->openRecordset(QStringLiteral("pragma_threads"))->value(0).toText().toInt() >=
                1);
        QRandomGenerator random(7);
        int finished = 0;
        for (int round = 0; round < 200; ++round) {
            std::atomic<int> outcome{-1};
            std::thread reader([&] {
                try {
                    auto cursor = db->openRecordset(rowSet, type);
                    for (; !cursor->eof(); cursor->moveNext())
                        cursor->value(0);
                    outcome = 0;
                } catch (const Error &error) {
                    outcome = error.number();
                }
            });
            std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(5000)));
            db->interruption().interrupt();
            reader.join();
            db->interruption().reset();
            QVERIFY2(outcome == 0 || outcome == OperationCancelled,
                     qPrintable(QString::number(outcome)));
            finished += outcome == 0;
        }
        QVERIFY2(finished < 200, "no read was ever cancelled");
        auto cursor = db->openRecordset(rowSet, type);
        int count = 0;
        for (; !cursor->eof(); cursor->moveNext())
            ++count;
        QCOMPARE(count, rows);
    }

    void emptyResultIsAtItsEndAtOnce()
    {
        auto db = openSqlite({QStringLiteral("CREATE TABLE t (n INTEGER)")});
        auto rows = db->openRecordset(QStringLiteral("t"), CursorType::Rewindable);
        QVERIFY(rows->eof());
        rows->moveFirst();
        QVERIFY(rows->eof());
    }

    void missingRowSetIsAnErrorWithTheDriversMessage()
    {
        auto db = openSqlite({QStringLiteral("CREATE TABLE t (n INTEGER)")});
        QString description;
        const int number = errorNumberOf(
            [&] { db->openRecordset(QStringLiteral("QryLithParent")); }, &description);
        QVERIFY(number != 0);
        QVERIFY2(description.contains(QStringLiteral("QryLithParent")), qPrintable(description));
        QVERIFY(!description.contains(QStringLiteral("tamarisk")));
    }

    void catalogueLookupIgnoresCase()
    {
        auto db = openSqlite({QStringLiteral("CREATE TABLE t (n INTEGER)"),
                              QStringLiteral("CREATE VIEW QryStratParent AS SELECT * FROM t")});
        QVERIFY(db->hasRowSet(QStringLiteral("QryStratParent")));
        QVERIFY(db->hasRowSet(QStringLiteral("qrystratparent")));
        QVERIFY(db->hasRowSet(QStringLiteral("T")));
        QVERIFY(!db->hasRowSet(QStringLiteral("QryLithParent")));
    }
};

QTEST_GUILESS_MAIN(RecordsetTest)
#include "tst_recordset.moc"
