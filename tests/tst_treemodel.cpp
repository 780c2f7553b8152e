// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/Error.h"
#include "support/ErrorNumber.h"
#include "tree/TreeModel.h"

#include <QAbstractItemModelTester>
#include <QSet>
#include <QTest>

using namespace kestrelon;
using namespace testsupport;

namespace {

QStringList childTexts(const TreeModel &tree, TreeModel::Node node)
{
    QStringList texts;
    const QModelIndex parent = tree.indexOf(node);
    for (int row = 0; row < tree.rowCount(parent); ++row)
        texts << tree.index(row, 0, parent).data().toString();
    return texts;
}

} // namespace

class TreeModelTest : public QObject
{
    Q_OBJECT

private slots:
    // Children added one by one, then others in bulk, which are put in
    // order when the bulk insertion ends.
    void sortedParentPlacesChildrenAlphabeticallyIgnoringCase_data()
    {
        QTest::addColumn<QStringList>("arrivals");
        QTest::addColumn<QStringList>("bulkArrivals");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("reversed") << QStringList{"c", "b", "a"} << QStringList{}
                                  << QStringList{"a", "b", "c"};
        QTest::newRow("case ignored") << QStringList{"beta", "Alpha", "alpha2"} << QStringList{}
                                      << QStringList{"Alpha", "alpha2", "beta"};
        QTest::newRow("ties keep arrival order")
            << QStringList{"Sand", "clay", "sand", "SAND"} << QStringList{}
            << QStringList{"clay", "Sand", "sand", "SAND"};
        QTest::newRow("reversed in bulk")
            << QStringList{} << QStringList{"c", "b", "a", "B"} << QStringList{"a", "b", "B", "c"};
        QTest::newRow("ties in bulk keep arrival order")
            << QStringList{} << QStringList{"Sand", "clay", "sand", "SAND", "Clay", "a"}
            << QStringList{"a", "clay", "Clay", "Sand", "sand", "SAND"};
        QTest::newRow("bulk after single")
            << QStringList{"sand", "Clay", "zinc"} << QStringList{"SAND", "clay", "Basalt", "Zinc"}
            << QStringList{"Basalt", "Clay", "clay", "sand", "SAND", "zinc", "Zinc"};
    }
    void sortedParentPlacesChildrenAlphabeticallyIgnoringCase()
    {
        QFETCH(QStringList, arrivals);
        QFETCH(QStringList, bulkArrivals);
        QFETCH(QStringList, shown);
        TreeModel tree;
        QAbstractItemModelTester tester(&tree,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const auto root = tree.addRoot("r", "Root");
        tree.setSorted(root, true);
        int key = 0;
        for (const QString &text : arrivals)
            tree.addChild("r", QString::number(key++), text, 1);
        {
            const TreeModel::BulkInsertion bulk(tree);
            for (const QString &text : bulkArrivals)
                tree.addChild("r", QString::number(key++), text, 1);
        }
        QCOMPARE(childTexts(tree, root), shown);
        // Every node still finds its own row after insertions moved it.
        for (int row = 0; row < shown.size(); ++row) {
            const QModelIndex index = tree.index(row, 0, tree.indexOf(root));
            QCOMPARE(tree.indexOf(tree.nodeAt(index)).row(), row);
        }
    }

    void unsortedParentKeepsArrivalOrder()
    {
        TreeModel tree;
        const auto root = tree.addRoot("r", "Root");
        for (const char *text : {"c", "a", "b"})
            tree.addChild("r", text, text);
        QCOMPARE(childTexts(tree, root), (QStringList{"c", "a", "b"}));
    }

    void addingFailures_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("error");
        QTest::newRow("duplicate key") << "r"
                                       << "a1" << int(KeyNotUnique);
        QTest::newRow("root's own key") << "r"
                                        << "r" << int(KeyNotUnique);
        QTest::newRow("unknown relative") << "nope"
                                          << "b2" << int(RelativeNotFound);
        QTest::newRow("empty key") << "r"
                                   << "" << int(InvalidKey);
    }
    void addingFailures()
    {
        QFETCH(QString, relative);
        QFETCH(QString, key);
        QFETCH(int, error);
        TreeModel tree;
        tree.addRoot("r", "Root");
        tree.addChild("r", "a1", "a");
        QCOMPARE(errorNumberOf([&] { tree.addChild(relative, key, "x"); }), error);
        QCOMPARE(tree.nodeCount(), 2);
    }

    void lookupAndPaths()
    {
        TreeModel tree;
        tree.addRoot("lith6", "Lithology Version 6");
        tree.addChild("lith6", "Igneous1", "Igneous");
        const auto granite = tree.addChild("Igneous1", "Granite2", "Granite");
        QCOMPARE(tree.item("Granite2"), granite);
        QCOMPARE(tree.find("granite2"), TreeModel::NoNode);
        QCOMPARE(errorNumberOf([&] { tree.item("missing"); }), int(NoSuchNode));
        QCOMPARE(tree.fullPath(granite), QStringLiteral("Lithology Version 6\\Igneous\\Granite"));
        QCOMPARE(tree.fullPath(tree.item("lith6")), QStringLiteral("Lithology Version 6"));

        // A view is given the start of a very long text to draw; the node
        // keeps all of it.
        const QString latin = QString(100000, u'x');
        const QString wide = QStringLiteral("\U0001F30B").repeated(50000);
        for (const QString &text : {latin, wide}) {
            const auto node = tree.addChild("Granite2", text + u'#', text);
            const QString shown = tree.indexOf(node).data().toString();
            QVERIFY(shown.size() <= TreeModel::LongestShownText);
            QVERIFY(shown.endsWith(QChar(0x2026)));
            QVERIFY(text.startsWith(shown.chopped(1)));
            QVERIFY(!shown.chopped(1).back().isHighSurrogate());
            QCOMPARE(tree.text(node), text);
            QCOMPARE(tree.fullPath(node), tree.fullPath(granite) + u'\\' + text);
        }
    }

    // Builders pass keys as single bytes where they came so, and as UTF-16
    // where the driver gave them so: the same key must meet itself in
    // either form, as a relative and as a duplicate, and read back whole.
    void keysMeetInEveryForm_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("ASCII") << "Granite";
        QTest::newRow("Latin-1 beyond ASCII") << "Gneiß-Öl\u00ff";
        QTest::newRow("beyond Latin-1") << "Ωmega \U0001F30B";
        QTest::newRow("one character") << "x";
    }
    void keysMeetInEveryForm()
    {
        QFETCH(QString, text);
        const QString key = text + u'7';
        // Each form holds its bytes here, the key's and the text's.
        QList<QByteArray> held;
        QList<std::pair<QAnyStringView, QAnyStringView>> forms{{key, text}};
        held << key.toUtf8() << text.toUtf8();
        forms.append({QUtf8StringView(held[0]), QUtf8StringView(held[1])});
        if (QString::fromLatin1(key.toLatin1()) == key) {
            held << key.toLatin1() << text.toLatin1();
            forms.append({QLatin1StringView(held[2]), QLatin1StringView(held[3])});
        }

        for (const auto &[addedKey, addedText] : forms) {
            TreeModel tree;
            tree.addRoot("r", "Root");
            const auto node = tree.addChild(QLatin1StringView("r"), TreeModel::hashOfKey(u"r"),
                                            addedKey, TreeModel::hashOfKey(addedKey), addedText);
            QCOMPARE(tree.key(node), key);
            QCOMPARE(tree.text(node), text);
            QCOMPARE(tree.item(key), node);
            for (const auto &form : forms) {
                // Not a structured binding: a lambda below captures it.
                const QAnyStringView asked = form.first;
                QCOMPARE(TreeModel::hashOfKey(asked), TreeModel::hashOfKey(addedKey));
                const QString childKey = QStringLiteral("c%1").arg(tree.nodeCount());
                const auto child = tree.addChild(asked, TreeModel::hashOfKey(asked), childKey,
                                                 TreeModel::hashOfKey(childKey), u"c");
                QCOMPARE(tree.parentOf(child), node);
                QCOMPARE(errorNumberOf([&] {
                             tree.addChild(u"r", TreeModel::hashOfKey(u"r"), asked,
                                           TreeModel::hashOfKey(asked), u"again");
                         }),
                         int(KeyNotUnique));
            }
        }
    }

    void tagsAndImagesAreKeptAsGiven()
    {
        TreeModel tree;
        tree.setImageList({QIcon(), QIcon()});
        const auto root = tree.addRoot("r", "Root");
        const auto child = tree.addChild("r", "c", "Child", 1);
        QVERIFY(tree.tag(root) == FieldValue());
        tree.setTag(child, FieldValue::null());
        QVERIFY(tree.tag(child).isNull());
        tree.setTag(child, FieldValue::whole(7));
        QCOMPARE(tree.tag(child).toText(), QStringLiteral("7"));
        // Replaced in every order, beside a node whose number must not move.
        const auto other = tree.addChild("r", "o", "Other", 1);
        tree.setTag(other, FieldValue::fractional(-0.25));
        const QList<FieldValue> replacements = {FieldValue::fractional(1e300),
                                                FieldValue::whole(-9007199254740993),
                                                FieldValue::text(QStringLiteral("8")),
                                                FieldValue::whole(9),
                                                FieldValue::null(),
                                                FieldValue::fractional(2.5),
                                                FieldValue(),
                                                FieldValue::text(QString())};
        for (const FieldValue &value : replacements) {
            tree.setTag(child, value);
            QCOMPARE(tree.tag(child).kind(), value.kind());
            QCOMPARE(tree.tag(child).toText(), value.toText());
            QCOMPARE(tree.tag(other).toText(), QStringLiteral("-0.25"));
        }
        QCOMPARE(tree.image(root), int(TreeModel::NoImage));
        QVERIFY(!tree.indexOf(root).data(Qt::DecorationRole).isValid());
        QCOMPARE(tree.indexOf(child).data(Qt::DecorationRole).typeId(), int(QMetaType::QIcon));
    }

    void expandingFromCodeAsksTheView()
    {
        TreeModel tree;
        const auto root = tree.addRoot("r", "Root");
        QList<bool> asked;
        connect(&tree, &TreeModel::expandedChanged, this,
                [&](const QModelIndex &index, bool expanded) {
                    QCOMPARE(tree.nodeAt(index), root);
                    asked << expanded;
                });
        tree.setExpanded(root, true);
        QVERIFY(tree.isExpanded(root));
        tree.noteExpanded(root, false);
        QVERIFY(!tree.isExpanded(root));
        QCOMPARE(asked, QList<bool>{true});
    }

    // Qt hashes model indexes by row plus internal id: ids must not run 0, 1, 2...
    void internalIdsAreSpreadAndRoundTrip()
    {
        TreeModel tree;
        tree.addRoot("r", "Root");
        QSet<quintptr> lowBits;
        for (int i = 0; i < 1000; ++i) {
            const auto node = tree.addChild("r", QString::number(i), "n");
            const QModelIndex index = tree.indexOf(node);
            QCOMPARE(tree.nodeAt(index), node);
            lowBits.insert(index.internalId() & 0xffff);
        }
        QVERIFY(lowBits.size() > 990);
    }

    void modelConsistencyUnderRandomGrowth()
    {
        TreeModel tree;
        QAbstractItemModelTester tester(&tree,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const auto root = tree.addRoot("r", "Root");
        tree.setSorted(root, true);
        QStringList keys{"r"};
        quint32 seed = 12345;
        for (int i = 0; i < 400; ++i) {
            seed = seed * 1103515245 + 12345;
            const QString parent = keys[int(seed % quint32(keys.size()))];
            const QString key = QStringLiteral("k%1").arg(i);
            tree.addChild(parent, key, QString::number(seed % 97));
            keys << key;
        }
        QCOMPARE(tree.nodeCount(), 401);
    }

    // Nodes added one by one and nodes added in bulk read back the same:
    // texts that begin their keys and texts that do not, texts beyond
    // Latin-1, and tags of every kind. Views stay consistent either way.
    void bulkAndSingleInsertionAgree()
    {
        const auto fill = [](TreeModel &tree) {
            const auto root = tree.addRoot("r", "Root");
            tree.setSorted(root, true);
            tree.setExpanded(root, true);
            QStringList keys{"r"};
            quint32 seed = 777;
            for (int i = 0; i < 600; ++i) {
                seed = seed * 1103515245 + 12345;
                const QString parent = keys[int(seed % quint32(keys.size()))];
                const QString text = i % 5 == 0 ? QString::fromUtf8("grès – %1").arg(i)
                                                : QStringLiteral("term %1").arg(seed % 89);
                // Mostly text then id, as the builders make keys; sometimes not.
                const QString key =
                    i % 4 == 0 ? QStringLiteral("k%1").arg(i) : text + u'#' + QString::number(i);
                const auto node = tree.addChild(parent, key, text, 1);
                switch (i % 5) {
                case 0:
                    tree.setTag(node, FieldValue::text(QString::fromUtf8("déf 😀 %1").arg(i)));
                    break;
                case 1:
                    tree.setTag(node, FieldValue::null());
                    break;
                case 2:
                    tree.setTag(node, FieldValue::whole(-i));
                    break;
                case 3:
                    tree.setTag(node, FieldValue::fractional(i + 0.5));
                    break;
                default:
                    break;
                }
                if (i % 9 == 0)
                    tree.setExpanded(node, true);
                keys << key;
            }
        };
        TreeModel single;
        TreeModel bulk;
        QAbstractItemModelTester singleTester(
            &single, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester bulkTester(&bulk,
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
        QList<TreeModel::Node> reopened;
        connect(&bulk, &TreeModel::expandedChanged, this,
                [&](const QModelIndex &index, bool expanded) {
                    QVERIFY(expanded);
                    reopened << bulk.nodeAt(index);
                });
        {
            const TreeModel::BulkInsertion insertion(bulk);
            fill(bulk);
            QVERIFY(reopened.isEmpty());
        }
        fill(single);

        QCOMPARE(bulk.nodeCount(), single.nodeCount());
        QList<TreeModel::Node> expanded;
        for (TreeModel::Node n = 0; n < single.nodeCount(); ++n) {
            QCOMPARE(bulk.key(n), single.key(n));
            QCOMPARE(bulk.text(n), single.text(n));
            QCOMPARE(bulk.textView(n).toString(), single.text(n));
            QCOMPARE(bulk.tag(n), single.tag(n));
            QCOMPARE(bulk.parentOf(n), single.parentOf(n));
            QCOMPARE(bulk.indexOf(n).row(), single.indexOf(n).row());
            QCOMPARE(bulk.indexOf(n).data().toString(), single.text(n));
            QCOMPARE(bulk.find(single.key(n)), n);
            QCOMPARE(bulk.fullPath(n), single.fullPath(n));
            if (single.isExpanded(n))
                expanded << n;
        }
        // Views are asked to open the expanded nodes, parents first.
        QCOMPARE(reopened, expanded);
        QCOMPARE(single.tag(single.item("k0")).toText(),
                 QString::fromUtf8("d\u00e9f \U0001F600 0"));
        QCOMPARE(single.tag(single.item("k20")).kind(), FieldValue::Kind::Text);
        QVERIFY(single.tag(single.item("k4")) == FieldValue());
        QVERIFY(single.text(single.item("k4")).startsWith("term "));
    }
};

QTEST_MAIN(TreeModelTest)
#include "tst_treemodel.moc"
