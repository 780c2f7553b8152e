// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/DataSources.h"
#include "support/SqliteFile.h"

#include "data/Database.h"
#include "data/Engine.h"
#include "data/Error.h"
#include "data/Recordset.h"
#include "data/Workspace.h"

#include <QTest>
#include <limits>

using namespace kestrelon;
using namespace testsupport;

Q_DECLARE_METATYPE(kestrelon::FieldValue)

namespace {

constexpr int rowCount = 700;
// The row from which the cursor's reader starts to read "note" as well.
constexpr int noteFrom = 400;

// Text that does not fit the first text buffers, or any buffer at all, with
// characters beyond Latin-1 in the middle of it.
QString longText(int i, int length)
{
    QString text = QStringLiteral("row %1 ").arg(i);
    while (text.size() < length / 2)
        text += QStringLiteral("abcdefghij");
    text += QString::fromUtf8("gr\u00e8s \u2013 \U0001F600 ");
    while (text.size() < length)
        text += QStringLiteral("klmnopqrst");
    return text;
}

QVariant name(int i)
{
    if (i % 7 == 0)
        return {};
    if (i % 97 == 0)
        return longText(i, 5000);
    if (i % 50 == 0)
        return longText(i, 300);
    if (i == 3)
        return QString::fromUtf8("gr\u00e8s \u2013 \U0001F600");
    // Characters that look like byte-order marks, on the first row (read on
    // its own) and on a later one (read from a block).
    if (i == 1 || i == 5)
        return QChar(0xFEFF) + QStringLiteral("marked %1").arg(i);
    if (i == 6)
        return QChar(0xFFFE) + QStringLiteral("reversed mark");
    return QStringLiteral("name %1").arg(i);
}

QVariant amount(int i)
{
    return i % 11 == 0 ? QVariant() : QVariant(i * 0.25);
}

QVariant note(int i)
{
    if (i % 13 == 0)
        return {};
    return i % 101 == 0 ? longText(i, 1000) : QStringLiteral("note %1").arg(i);
}

// Whole numbers out to both ends of 64 bits, which a column of an integer
// type may hand over as such rather than as digits.
QVariant big(int i)
{
    if (i % 5 == 0)
        return {};
    if (i == 2)
        return std::numeric_limits<qint64>::min();
    if (i == 4)
        return std::numeric_limits<qint64>::max();
    return qint64(i % 2 ? -1 : 1) * i * 4611686018427387;
}

FieldValue valueOf(const QVariant &v)
{
    if (v.isNull())
        return FieldValue::null();
    if (v.typeId() == QMetaType::Double)
        return FieldValue::fractional(v.toDouble());
    if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
        return FieldValue::whole(v.toLongLong());
    return FieldValue::text(v.toString());
}

// One INSERT for all rows; SQLite and PostgreSQL both take it.
QString insertRows(const QString &table)
{
    QStringList rows;
    for (int i = 1; i <= rowCount; ++i)
        rows << QStringLiteral("(%1, %2, %3, %4, %5)")
                    .arg(i)
                    .arg(sqlite::literal(name(i)), sqlite::literal(amount(i)),
                         sqlite::literal(note(i)), sqlite::literal(big(i)));
    return QStringLiteral("INSERT INTO %1 VALUES %2").arg(table, rows.join(u','));
}

// Equal as the program uses numbers: by value and in text form. A double
// that is whole may come as digits alone, and then reads as a whole number.
bool sameNumber(const FieldValue &a, const FieldValue &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    return equals(a, b) && a.toText() == b.toText();
}

std::shared_ptr<Database> open(const QString &dataSource)
{
    return Engine::instance()
        ->createWorkspace(dataSource, QStringLiteral("user"), QStringLiteral("tamarisk"))
        ->openDatabase(dataSource);
}

bool postgresReady = false;
bool mariadbReady = false;

// Whether the test server behind this data source is running.
bool ready(const QString &dataSource)
{
    return dataSource == QLatin1String("ds_pg")        ? postgresReady
           : dataSource == QLatin1String("ds_mariadb") ? mariadbReady
                                                       : true;
}

const QStringList dataSources{QStringLiteral("ds_sqlite"), QStringLiteral("ds_pg"),
                              QStringLiteral("ds_mariadb")};

} // namespace

// A forward-only cursor reads rows in blocks of bound buffers where the
// driver allows it (PostgreSQL: many rows a fetch; SQLite: one; MariaDB's
// driver, which mishandles bound text, none). Whatever the blocks, every
// value must arrive as it is stored, in query order: Nulls, text longer
// than the buffers, columns first read halfway through.
class BlockFetchTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString ini = sqliteDataSource(sqliteFile()).replace("[ds_hier]", "[ds_sqlite]");
        if (postgres::available()) {
            // A driver cache smaller than a block, so blocks straddle it.
            ini += postgresDataSource().replace("[ds_hier]", "[ds_pg]") +
                   QStringLiteral("UseDeclareFetch=1\nFetch=100\n");
            const QString table = QStringLiteral(
                "DROP VIEW IF EXISTS blocks; DROP TABLE IF EXISTS blocks_t;"
                "CREATE TABLE blocks_t (id INTEGER, name TEXT, amount DOUBLE PRECISION, note "
                "TEXT, big BIGINT);");
            QCOMPARE(postgres::run("kestrelon",
                                   table + insertRows("blocks_t") +
                                       QStringLiteral(";CREATE VIEW blocks AS SELECT * FROM "
                                                      "blocks_t ORDER BY id;"
                                                      "GRANT SELECT ON blocks TO \"user\";")),
                     0);
            postgresReady = true;
        }
        if (mariadb::available()) {
            ini += mariadbDataSource().replace("[ds_hier]", "[ds_mariadb]");
            const QString table = QStringLiteral(
                "DROP VIEW IF EXISTS blocks; DROP TABLE IF EXISTS blocks_t;"
                "CREATE TABLE blocks_t (id INTEGER, name TEXT, amount DOUBLE, note TEXT, "
                "big BIGINT);");
            QCOMPARE(
                mariadb::run("kestrelon",
                             table + insertRows("blocks_t") +
                                 QStringLiteral(";CREATE VIEW blocks AS SELECT * FROM "
                                                "blocks_t ORDER BY id;"
                                                "GRANT SELECT ON blocks TO 'user'@'127.0.0.1';")),
                0);
            mariadbReady = true;
        }
        useOdbcIni(ini);
        sqlite::create(
            sqliteFile(),
            {QStringLiteral("CREATE TABLE blocks_t (id INTEGER, name TEXT, amount REAL, "
                            "note TEXT, big BIGINT)"),
             insertRows("blocks_t"),
             QStringLiteral("CREATE VIEW blocks AS SELECT * FROM blocks_t ORDER BY id"),
             QStringLiteral(
                 "CREATE TABLE odd_bytes (id INTEGER PRIMARY KEY, hex TEXT, name TEXT)")});
    }

    void everyValueArrivesInOrder_data()
    {
        QTest::addColumn<QString>("dataSource");
        QTest::addColumn<int>("rowsPerFetch");
        QTest::newRow("sqlite") << "ds_sqlite" << 1;
        QTest::newRow("postgresql") << "ds_pg" << int(Recordset::blockRows);
        QTest::newRow("mariadb") << "ds_mariadb" << 1;
    }
    void everyValueArrivesInOrder()
    {
        QFETCH(QString, dataSource);
        QFETCH(int, rowsPerFetch);
        if (!ready(dataSource))
            QSKIP("no test server for this data source");
        auto rows = open(dataSource)->openRecordset(QStringLiteral("blocks"));
        const int id = rows->fieldIndex("id");
        const int nameColumn = rows->fieldIndex("name");
        const int amountColumn = rows->fieldIndex("amount");
        const int noteColumn = rows->fieldIndex("note");
        const int bigColumn = rows->fieldIndex("big");
        int i = 0;
        FieldValue previous; // a value kept must not change as the cursor moves on
        for (; !rows->eof(); rows->moveNext()) {
            ++i;
            // A cell handed over as the bytes of its buffer makes the value
            // a read of it gives.
            for (const int column : {id, nameColumn, amountColumn, bigColumn}) {
                if (const auto raw = rows->rawCell(column))
                    QCOMPARE(kestrelon::valueOf(*raw), rows->value(column));
            }
            QCOMPARE(rows->value(id), FieldValue::whole(i));
            QCOMPARE(rows->value(nameColumn), valueOf(name(i)));
            if (i > 1)
                QCOMPARE(previous, valueOf(name(i - 1)));
            previous = rows->value(nameColumn);
            // A second read of the same cell gives the same value.
            QCOMPARE(rows->value(nameColumn), valueOf(name(i)));
            QVERIFY(sameNumber(rows->value(amountColumn), valueOf(amount(i))));
            QCOMPARE(rows->value(bigColumn), valueOf(big(i)));
            if (i >= noteFrom)
                QCOMPARE(rows->value(noteColumn), valueOf(note(i)));
            if (i == 2)
                QCOMPARE(int(rows->rowsPerFetch()), rowsPerFetch);
        }
        QCOMPARE(i, rowCount);
        QCOMPARE(int(rows->rowsPerFetch()), rowsPerFetch);
        bool ended = false;
        try {
            rows->moveNext();
        } catch (const Error &error) {
            ended = error.number() == NoCurrentRow;
        }
        QVERIFY(ended);
    }

    // SQLite keeps whatever bytes it is given as text. The same cell must
    // read the same on the first row, read on its own through the driver,
    // as on the rows after it, read from bound buffers.
    void oddBytesReadTheSameOnEveryRow_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::newRow("a byte that is never UTF-8") << "67ff72";
        QTest::newRow("a sequence cut short") << "41e282";
        QTest::newRow("an encoded surrogate") << "eda080";
        QTest::newRow("a byte-order mark first") << "efbbbf41";
        QTest::newRow("a byte-order mark inside") << "41efbbbf42";
        QTest::newRow("characters beyond the first plane") << "f09f9880";
    }
    void oddBytesReadTheSameOnEveryRow()
    {
        QFETCH(QString, hex);
        sqlite::change(sqliteFile(),
                       {QStringLiteral("DELETE FROM odd_bytes"),
                        QStringLiteral("INSERT INTO odd_bytes (hex, name) VALUES ('%1', "
                                       "CAST(X'%1' AS TEXT)), ('%1', CAST(X'%1' AS TEXT)), "
                                       "('%1', CAST(X'%1' AS TEXT))")
                            .arg(hex)});
        Recordset rows(open(QStringLiteral("ds_sqlite")),
                       QStringLiteral("SELECT name FROM odd_bytes ORDER BY id"),
                       CursorType::ForwardOnly);
        QList<FieldValue> read;
        for (; !rows.eof(); rows.moveNext())
            read << rows.value(0);
        QCOMPARE(read.size(), 3);
        QCOMPARE(read.at(1), read.at(0));
        QCOMPARE(read.at(2), read.at(0));
    }

    // A column read on a few rows only is read right on those rows, before
    // and after it joins the bound ones.
    void sparseReadsOfAColumn()
    {
        for (const QString &dataSource : dataSources) {
            if (!ready(dataSource))
                continue;
            auto rows = open(dataSource)->openRecordset(QStringLiteral("blocks"));
            int i = 0;
            for (; !rows->eof(); rows->moveNext()) {
                ++i;
                if (i % 97 == 0 || i == 1 || i == 600)
                    QCOMPARE(rows->field("name"), valueOf(name(i)));
            }
            QCOMPARE(i, rowCount);
        }
    }

    // Only the named columns, in the order asked for.
    void chosenColumns()
    {
        for (const QString &dataSource : dataSources) {
            if (!ready(dataSource))
                continue;
            auto rows = open(dataSource)
                            ->openRecordset(QStringLiteral("blocks"), QStringList{"note", "ID"});
            QCOMPARE(rows->fieldCount(), 2);
            QCOMPARE(rows->fieldIndex("id"), 1);
            int i = 0;
            for (; !rows->eof(); rows->moveNext()) {
                ++i;
                QCOMPARE(rows->value(1), FieldValue::whole(i));
                QCOMPARE(rows->value(0), valueOf(note(i)));
            }
            QCOMPARE(i, rowCount);
        }
    }
};

QTEST_GUILESS_MAIN(BlockFetchTest)
#include "tst_blockfetch.moc"
