// SPDX-License-Identifier: GPL-3.0-or-later
#include "tree/ChildLists.h"
#include "tree/KeyIndex.h"
#include "tree/TextStore.h"

#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTest>
#include <functional>

using namespace kestrelon;

namespace {

using Hasher = std::function<size_t(const QString &)>;

// Keys in a KeyIndex, with the owner's side of it: the keys themselves.
struct IndexedKeys
{
    explicit IndexedKeys(Hasher hash) : hash(std::move(hash)) {}

    void add(const QString &key)
    {
        index.insert(hash(key), qint32(keys.size()));
        keys << key;
    }
    qint32 find(const QString &key) const
    {
        return index.find(hash(key), [&](qint32 node) { return keys[node] == key; });
    }

    Hasher hash;
    KeyIndex index;
    QStringList keys;
};

} // namespace

Q_DECLARE_METATYPE(Hasher)

class TreeStorageTest : public QObject
{
    Q_OBJECT

private slots:
    // Hashes that collide entirely, in their upper or lower halves, or not
    // at all: every key is found, every absent key is not, across growth.
    void keyIndexFindsEveryKey_data()
    {
        QTest::addColumn<Hasher>("hash");
        QTest::newRow("all equal") << Hasher([](const QString &) { return size_t(42); });
        QTest::newRow("equal low halves")
            << Hasher([](const QString &k) { return size_t(qHash(k)) << 32 | 7u; });
        QTest::newRow("equal high halves")
            << Hasher([](const QString &k) { return size_t(7) << 32 | quint32(qHash(k)); });
        QTest::newRow("two values")
            << Hasher([](const QString &k) { return size_t(k.size() % 2); });
        QTest::newRow("Qt's hash") << Hasher([](const QString &k) { return qHash(k); });
    }
    void keyIndexFindsEveryKey()
    {
        QFETCH(Hasher, hash);
        IndexedKeys keys(hash);
        QCOMPARE(keys.find("absent"), KeyIndex::None);
        for (int i = 0; i < 1500; ++i) {
            keys.add(QStringLiteral("key%1").arg(i));
            if (i % 97 == 0) {
                for (int j = 0; j <= i; ++j)
                    QCOMPARE(keys.find(QStringLiteral("key%1").arg(j)), j);
            }
        }
        QCOMPARE(keys.index.size(), 1500);
        QVERIFY(keys.index.capacity() * 7 >= 1500 * 10);
        for (int i = 0; i < 1500; ++i)
            QCOMPARE(keys.find(QStringLiteral("key%1").arg(i)), i);
        for (const char *absent : {"key", "key1500", "Key1", "key01", ""})
            QCOMPARE(keys.find(absent), KeyIndex::None);
        keys.index.clear();
        QCOMPARE(keys.find("key1"), KeyIndex::None);
    }

    void textStoreKeepsTextsExactly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("ascii") << QStringLiteral("Granite103");
        QTest::newRow("latin-1") << QString::fromUtf8("Gr\u00e8s \u00e0 ciment \u00ff");
        QTest::newRow("beyond latin-1") << QString::fromUtf8("Gr\u00e8s \u2013 \u05d2\u05e8");
        QTest::newRow("surrogate pair") << QString::fromUtf8("clay \U0001F600 end");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("x");
        QTest::newRow("control characters") << QStringLiteral("a\r\n\tb") + QChar(0) + u'c';
        QTest::newRow("byte-order mark first") << QChar(0xFEFF) + QStringLiteral("marked");
        QTest::newRow("longer than a chunk") << QString(3 << 20, u'q') + QChar(0x2013);
        // Lengths where the header grows by a byte, in one and two bytes a
        // character.
        for (const int length : {31, 32, 4095, 4096}) {
            QTest::addRow("%d latin-1", length) << QString(length, u'a');
            QTest::addRow("%d wide", length) << QString(length - 1, u'b') + QChar(0x3b1);
        }
    }
    void textStoreKeepsTextsExactly()
    {
        QFETCH(QString, text);
        TextStore store;
        // Neighbours of every encoding, before and after.
        const auto before = store.add(QStringLiteral("x"));
        const auto wideBefore = store.add(QString::fromUtf8("\u2013"));
        const auto ref = store.add(text);
        const auto emptyAfter = store.add(QString());
        const auto after = store.add(QStringLiteral("after"));
        QCOMPARE(store.text(ref), text);
        QCOMPARE(store.view(ref).size(), text.size());
        QCOMPARE(store.text(before), QStringLiteral("x"));
        QCOMPARE(store.text(wideBefore), QString::fromUtf8("\u2013"));
        QCOMPARE(store.text(after), QStringLiteral("after"));
        QCOMPARE(store.text(emptyAfter), QString());
        for (qsizetype length : {qsizetype(0), qsizetype(1), text.size() / 2, text.size()})
            QCOMPARE(store.view(ref, length).toString(), text.left(length));
        QCOMPARE(store.view(ref, text.size() + 5).toString(), text);

        // Tags come as UTF-8 where the driver gave them so, and are kept so.
        QStringEncoder encoder(QStringEncoder::Utf8);
        const QByteArray utf8 = encoder(text);
        if (encoder.hasError())
            return; // a lone surrogate has no UTF-8
        const auto utf8Ref = store.add(QUtf8StringView(utf8));
        QCOMPARE(store.text(utf8Ref), text);
        QCOMPARE(store.view(utf8Ref).size(), utf8.size());
        QCOMPARE(store.text(after), QStringLiteral("after"));
    }

    // Lists of every size, children inserted anywhere, compared with plain
    // vectors: rooms are reused as lists move to larger ones, and a family
    // larger than a shared block gets blocks of its own.
    void childListsKeepEveryChildInPlace_data()
    {
        QTest::addColumn<int>("lists");
        QTest::addColumn<int>("insertions");
        QTest::addColumn<int>("appendedToFirst");
        QTest::newRow("one child each") << 1000 << 1000 << 0;
        QTest::newRow("small families") << 3000 << 20000 << 0;
        QTest::newRow("a few large ones") << 7 << 50000 << 0;
        QTest::newRow("one beyond a shared block") << 50 << 5000 << 600000;
    }
    void childListsKeepEveryChildInPlace()
    {
        QFETCH(int, lists);
        QFETCH(int, insertions);
        QFETCH(int, appendedToFirst);
        QRandomGenerator random(quint32(lists + insertions));
        ChildLists stored;
        std::vector<std::vector<qint32>> expected(static_cast<size_t>(lists));
        for (int i = 0; i < lists; ++i)
            QCOMPARE(stored.add(), i);
        const auto insert = [&](int list, size_t position, qint32 node) {
            stored.insert(list, position, node);
            auto &nodes = expected[size_t(list)];
            nodes.insert(nodes.begin() + qsizetype(position), node);
        };
        for (int i = 0; i < insertions; ++i) {
            // Families grow unevenly, as lithology rows fill them.
            const int list = int(random.bounded(quint32(lists))) * int(random.bounded(2u)) % lists;
            const size_t size = expected[size_t(list)].size();
            insert(list, random.bounded(4u) ? size : random.bounded(quint32(size + 1)), i);
        }
        for (int i = 0; i < appendedToFirst; ++i)
            insert(0, i % 1000 ? expected[0].size() : 0, -i);
        for (int list = 0; list < lists; ++list) {
            const auto nodes = stored.nodes(list);
            const auto &wanted = expected[size_t(list)];
            QVERIFY(std::equal(nodes.begin(), nodes.end(), wanted.begin(), wanted.end()));
        }
    }

    // Many texts fill many chunks; each still reads back as added.
    void textStoreAcrossChunks()
    {
        TextStore store;
        std::vector<TextStore::Ref> refs;
        for (int i = 0; i < 200000; ++i)
            refs.push_back(store.add(i % 3 ? QStringLiteral("term %1").arg(i)
                                           : QString::fromUtf8("t\u2013%1").arg(i)));
        QVERIFY(store.capacity() > (size_t(2) << 20));
        for (int i = 0; i < 200000; i += 997)
            QCOMPARE(store.text(refs[size_t(i)]), i % 3 ? QStringLiteral("term %1").arg(i)
                                                        : QString::fromUtf8("t\u2013%1").arg(i));
    }
};

QTEST_GUILESS_MAIN(TreeStorageTest)
#include "tst_treestorage.moc"
