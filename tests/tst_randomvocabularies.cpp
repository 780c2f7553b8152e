// SPDX-License-Identifier: GPL-3.0-or-later
// Random vocabularies, stored by each engine and read back through ODBC,
// against a model of what the window must show: the tree, the warning that
// names the rows left out, and the text box and label after a random run
// of "Define" presses. A failure prints the seed and the fewest rows that
// still fail.
//
//   tst_randomvocabularies sqlite|postgres|mariadb
//   KESTRELON_MODEL_SEEDS       how many vocabularies (200 on SQLite, 20 on a server)
//   KESTRELON_MODEL_FIRST_SEED  the first one's seed (random unless set)

#include "support/DataSources.h"
#include "support/DefinePress.h"
#include "support/LoadedWindow.h"
#include "support/SqliteFile.h"

#include "model/RandomVocabulary.h"
#include "model/VocabularyModel.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

using namespace testsupport;
using model::Engine;
using model::Vocabulary;
using model::VocabularyModel;

namespace {

const QString database = QStringLiteral("kestrelon_model");

QString treeOutline(const kestrelon::TreeModel &tree, kestrelon::TreeModel::Node node, int depth)
{
    QString out = QString(2 * depth, u' ') + tree.key(node) + QStringLiteral(" | ") +
                  tree.text(node) + QStringLiteral(" | ") + tree.tag(node).toText() + u'\n';
    for (const kestrelon::TreeModel::Node child : tree.children(node))
        out += treeOutline(tree, child, depth + 1);
    return out;
}

QString treeOutline(const kestrelon::TreeModel &tree)
{
    QString out;
    for (const kestrelon::TreeModel::Node root : tree.children(kestrelon::TreeModel::NoNode))
        out += treeOutline(tree, root, 0);
    return out;
}

// The nodes pressed in turn; an empty key presses with nothing selected.
// Repeats, roots, nodes whose text another node shares, and turns between
// the two hierarchies come often.
QStringList pressesFor(quint32 seed, const VocabularyModel &expected)
{
    QRandomGenerator random(seed ^ 0x5eedu);
    const QStringList keys = expected.keys();
    QHash<QString, QStringList> byText;
    for (const QString &key : keys)
        byText[expected.textOf(key).trimmed()] << key;
    QStringList twins;
    for (const QStringList &alike : std::as_const(byText))
        if (alike.size() > 1)
            twins += alike;
    const auto any = [&](const QStringList &from) {
        return from.at(int(random.bounded(int(from.size()))));
    };
    QStringList presses;
    const int count = 6 + int(random.bounded(8));
    for (int i = 0; i < count; ++i) {
        const int kind = int(random.bounded(100));
        const QString previous = presses.isEmpty() ? QString() : presses.last();
        if (kind < 10) {
            presses << QString();
        } else if (kind < 22 && !previous.isEmpty()) {
            presses << previous;
        } else if (kind < 35) {
            presses << any(keys.contains(QStringLiteral("Strat"))
                               ? QStringList{QStringLiteral("lith6"), QStringLiteral("Strat")}
                               : QStringList{QStringLiteral("lith6")});
        } else if (kind < 50 && !twins.isEmpty()) {
            presses << any(twins);
        } else if (kind < 65 && !previous.isEmpty()) {
            QStringList other;
            for (const QString &key : keys)
                if (expected.isLithology(key) != expected.isLithology(previous))
                    other << key;
            presses << (other.isEmpty() ? any(keys) : any(other));
        } else {
            presses << any(keys);
        }
    }
    return presses;
}

// One warning box exactly when rows were left out. A box never grows past
// the screen: it may show only the first lines, and then an ellipsis.
bool warningAsExpected(const QStringList &shown, const QString &expected)
{
    if (expected.isEmpty() || shown.size() != 1)
        return expected.isEmpty() && shown.isEmpty();
    const QString &text = shown.first();
    const QString ending = QStringLiteral("\n") + QChar(0x2026);
    if (text == expected)
        return true;
    const QString lines = text.chopped(ending.size());
    return text.endsWith(ending) && expected.startsWith(lines + u'\n') && lines.contains(u'\n');
}

QString quotedText(const QString &text)
{
    return u'"' + QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\\r\\n")) + u'"';
}

class Run
{
public:
    explicit Run(Engine engine) : engine_(engine) {}

    // What the window showed unlike the model, or nothing.
    std::optional<QString> check(const Vocabulary &vocabulary) const;

private:
    std::optional<QString> store(const Vocabulary &vocabulary) const;
    std::optional<QString> compareWindow(const Vocabulary &vocabulary,
                                         const VocabularyModel &expected) const;

    Engine engine_;
};

std::optional<QString> Run::store(const Vocabulary &vocabulary) const
{
    if (engine_ == Engine::Sqlite) {
        sqlite::create(sqliteFile(), model::sqliteStatements(vocabulary));
        return std::nullopt;
    }
    const QString script = model::serverScript(vocabulary, database);
    const int status = engine_ == Engine::Postgres ? postgres::run(database, script)
                                                   : mariadb::run(database, script);
    if (status != 0)
        return QStringLiteral("the server refused the vocabulary:\n") + script;
    return std::nullopt;
}

std::optional<QString> Run::check(const Vocabulary &vocabulary) const
{
    if (const auto refused = store(vocabulary))
        return refused;
    std::optional<model::RowSetRead> lithology, stratigraphy;
    {
        const model::OdbcConnection odbc(QStringLiteral("ds_hier"), QStringLiteral("user"),
                                         QStringLiteral("tamarisk"));
        if (!odbc.isOpen())
            return QStringLiteral("the test cannot connect to ds_hier");
        lithology = odbc.read(QStringLiteral("SELECT * FROM ") +
                                  model::quotedView(engine_, QStringLiteral("QryLithParent")),
                              false);
        if (vocabulary.stratigraphy)
            stratigraphy =
                odbc.read(QStringLiteral("SELECT * FROM ") +
                              model::quotedView(engine_, QStringLiteral("QryStratParent")),
                          true);
        if (!lithology || (vocabulary.stratigraphy && !stratigraphy))
            return QStringLiteral("the test cannot read the row sets back");
    }
    const VocabularyModel expected(*lithology, stratigraphy);
    return compareWindow(vocabulary, expected);
}

std::optional<QString> Run::compareWindow(const Vocabulary &vocabulary,
                                          const VocabularyModel &expected) const
{
    LoadedWindow window;
    QStringList warnings, errors;
    for (const ShownBox &box : window.boxes.boxes())
        (box.icon == QMessageBox::Warning ? warnings : errors) << box.text;
    if (window.form.isUnloaded() || !errors.isEmpty())
        return QStringLiteral("the start-up failed: ") + errors.join(u'\n');
    if (!warningAsExpected(warnings, expected.warning()))
        return QStringLiteral("the warning reads\n%1\ninstead of\n%2")
            .arg(warnings.join(QStringLiteral("\n--\n")), expected.warning());
    const QString tree = treeOutline(*window.probe.tree);
    if (tree != expected.outline())
        return QStringLiteral("the tree is\n%1instead of\n%2").arg(tree, expected.outline());

    VocabularyModel::Shown shown;
    const QStringList presses = pressesFor(vocabulary.seed, expected);
    for (int i = 0; i < presses.size(); ++i) {
        const QString &key = presses.at(i);
        const qsizetype boxes = window.boxes.boxes().size();
        if (key.isEmpty())
            window.probe.tv->clearSelection();
        else
            window.probe.select(key);
        defineAndWait(window.form);
        if (!key.isEmpty())
            shown = expected.define(key);
        const QString what = QStringLiteral("after press %1 of %2 (%3)")
                                 .arg(i + 1)
                                 .arg(presses.size())
                                 .arg(key.isEmpty() ? QStringLiteral("nothing selected")
                                                    : QStringLiteral("key ") + quotedText(key));
        if (window.boxes.boxes().size() != boxes)
            return what + QStringLiteral(": a box opened: ") + window.boxes.boxes().last().text;
        if (window.probe.description() != shown.description)
            return what +
                   QStringLiteral(": the text box reads %1 instead of %2")
                       .arg(quotedText(window.probe.description()), quotedText(shown.description));
        if (window.probe.lbl_level->text() != shown.level)
            return what +
                   QStringLiteral(": the label reads %1 instead of %2")
                       .arg(quotedText(window.probe.lbl_level->text()), quotedText(shown.level));
    }
    return std::nullopt;
}

// The vocabulary with fewer rows that fails all the same: halves, then
// smaller runs, then single rows left out while the failure stays.
Vocabulary shrink(const Run &run, Vocabulary failing, QString &difference)
{
    int budget = 300;
    if (failing.stratigraphy) {
        Vocabulary without = failing;
        without.stratigraphy.reset();
        if (const auto still = run.check(without)) {
            failing = without;
            difference = *still;
        }
    }
    for (const bool lithology : {true, false}) {
        const auto rows = [&](Vocabulary &v) -> QList<QStringList> & {
            return lithology ? v.lithology.rows : v.stratigraphy->rows;
        };
        if (!lithology && !failing.stratigraphy)
            continue;
        for (qsizetype chunk = rows(failing).size() / 2; chunk >= 1 && budget > 0; chunk /= 2) {
            for (qsizetype start = 0; start < rows(failing).size() && budget > 0; --budget) {
                Vocabulary candidate = failing;
                rows(candidate).remove(start, qMin(chunk, rows(candidate).size() - start));
                if (const auto still = run.check(candidate)) {
                    failing = candidate;
                    difference = *still;
                } else {
                    start += chunk;
                }
            }
        }
    }
    return failing;
}

// Each window shown on the offscreen platform logs that it cannot pass size
// hints on; thousands of them would hide the rest.
void dropSizeHintNotes()
{
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (!message.contains(QLatin1String("propagateSizeHints")))
                previous(type, context, message);
        });
}

quint32 firstSeed()
{
    bool set = false;
    const uint seed = qEnvironmentVariable("KESTRELON_MODEL_FIRST_SEED").toUInt(&set);
    return set ? quint32(seed) : QRandomGenerator::global()->bounded(1u << 30);
}

int seedCount(int usual)
{
    bool set = false;
    const int count = qEnvironmentVariableIntValue("KESTRELON_MODEL_SEEDS", &set);
    return set ? count : usual;
}

} // namespace

class RandomVocabulariesTest : public QObject
{
    Q_OBJECT

private slots:
    void sqlite()
    {
        useOdbcIni(sqliteDataSource(sqliteFile()));
        runSeeds(Engine::Sqlite, 200);
    }

    void postgres()
    {
        REQUIRE_POSTGRES();
        postgres::run(QStringLiteral("postgres"),
                      QStringLiteral("DROP DATABASE IF EXISTS %1").arg(database));
        QCOMPARE(postgres::run(QStringLiteral("postgres"),
                               QStringLiteral("CREATE DATABASE %1").arg(database)),
                 0);
        QCOMPARE(postgres::run(database, QStringLiteral("GRANT CONNECT ON DATABASE %1 TO \"user\";"
                                                        "GRANT USAGE ON SCHEMA public TO \"user\";")
                                             .arg(database)),
                 0);
        useOdbcIni(postgresDataSource(database));
        runSeeds(Engine::Postgres, 20);
        postgres::run(QStringLiteral("postgres"),
                      QStringLiteral("DROP DATABASE IF EXISTS %1").arg(database));
    }

    void mariadb()
    {
        REQUIRE_MARIADB();
        QCOMPARE(mariadb::recreate(database, QString()), 0);
        useOdbcIni(mariadbDataSource(database));
        runSeeds(Engine::Mariadb, 20);
    }

private:
    void runSeeds(Engine engine, int usualCount)
    {
        dropSizeHintNotes();
        const quint32 first = firstSeed();
        const int count = seedCount(usualCount);
        QElapsedTimer clock;
        clock.start();
        const Run run(engine);
        int rows = 0;
        for (quint32 seed = first; seed < first + quint32(count); ++seed) {
            const Vocabulary vocabulary = model::randomVocabulary(seed, engine);
            rows += vocabulary.rowCount();
            std::optional<QString> difference = run.check(vocabulary);
            if (!difference)
                continue;
            const Vocabulary smallest = shrink(run, vocabulary, *difference);
            QFAIL(qPrintable(QStringLiteral("seed %1 (KESTRELON_MODEL_FIRST_SEED=%1 "
                                            "KESTRELON_MODEL_SEEDS=1): %2\n\nThe fewest rows that "
                                            "fail (of %3):\n%4")
                                 .arg(seed)
                                 .arg(*difference)
                                 .arg(vocabulary.rowCount())
                                 .arg(model::describe(smallest))));
        }
        qInfo("%d vocabularies from seed %u, %d rows, in %lld ms", count, first, rows,
              clock.elapsed());
    }
};

QTEST_MAIN(RandomVocabulariesTest)
#include "tst_randomvocabularies.moc"
