// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/BoxCatcher.h"
#include "support/DataSources.h"
#include "support/FormProbe.h"
#include "support/SqliteFile.h"

#include "data/Database.h"
#include "data/Engine.h"
#include "data/HierarchyRow.h"
#include "data/Recordset.h"
#include "data/Workspace.h"
#include "details/LithologyDetails.h"

#include <QRandomGenerator>
#include <QTest>

using namespace kestrelon;
using namespace testsupport;

namespace {

// A lithology row: name, parent, level, id, parent id, parent level, description.
QVariantList term(const QString &name, const QVariant &level, int id)
{
    return {name, QVariant(), level, id, QVariant(), QVariant(), QStringLiteral("about ") + name};
}

// Whether Define reads fewer rows than the whole row set for some term. A
// column the database does not type is described by its first value.
enum class Narrowing { Never, Always, Sometimes };

// Names that LIKE patterns, quoting and trimming could get wrong.
const QStringList awkwardNames{"Clay",  "clay", "CLAY",    "Sand stone",  "50%",   "5_0", "a[b]",
                               "[x]",   "x\\y", "O'Brien", "\"q\"",       "!bang", "Cl%", "Cl_y",
                               "%",     "_",    "tab\tin", "Ünïcödé",     "12",    "1.5", "Marl",
                               "Chalk", "Tuff", "Loess",   "x') OR (1=1", "a!%"};

// Numbers for a name column that takes them: whole, fractional, and ones
// whose text form differs between the database and the program.
const QStringList numberLiterals{
    "12", "-7", "1.5", "2.50", "0.30000000000000004", "1e20", "100000000000000000000"};

QString sqlText(const QString &text)
{
    return "'" + QString(text).replace("'", "''") + "'";
}

// A randomly drawn lithology row set, as SQL values of name and level: many
// names come back, mostly at the same level, sometimes padded or Null.
struct RandomTerms
{
    QStringList names;
    QStringList levels;
};

// Levels for a column that declares no type, in which SQLite keeps each as
// it came: whole and fractional numbers, and text that spells numbers.
const QStringList untypedLevels{"1", "2", "2.0", "'1.0'", "'2'", "' 3'", "2.5", "'x'", "NULL"};

RandomTerms randomTerms(QRandomGenerator &random, bool textNames, bool numberNames,
                        bool untypedLevel)
{
    RandomTerms terms;
    for (int i = 0; i < 300; ++i) {
        const int pick = int(random.bounded(awkwardNames.size()));
        QString name;
        if (random.bounded(10) == 0)
            name = QStringLiteral("NULL");
        else if (numberNames && (!textNames || random.bounded(3) == 0))
            name = numberLiterals.at(int(random.bounded(numberLiterals.size())));
        else
            name = sqlText(QString(int(random.bounded(3)), u' ') + awkwardNames.at(pick) +
                           // Mixed levels differ row by row: names of their own
                           // let the narrower query settle the level alone.
                           (untypedLevel ? QStringLiteral("#%1#").arg(i) : QString()) +
                           QString(int(random.bounded(3)), u' '));
        terms.names << name;
        const bool usualLevel = random.bounded(5) != 0;
        if (untypedLevel)
            terms.levels << untypedLevels.at(int(random.bounded(untypedLevels.size())));
        else
            terms.levels << (random.bounded(20) == 0
                                 ? QStringLiteral("NULL")
                                 : QString::number(usualLevel ? pick % 4 + 1 : random.bounded(6)));
    }
    return terms;
}

QString valuesList(const RandomTerms &terms)
{
    QStringList rows;
    for (qsizetype i = 0; i < terms.names.size(); ++i)
        rows << QStringLiteral("(%1, %2, %3, 'about')")
                    .arg(i + 1)
                    .arg(terms.names[i], terms.levels[i]);
    return rows.join(", ");
}

// The level caption reading every row of the row set in its own order
// gives: empty when no row has the name.
QString levelByFullRead(Database &database, const QString &asked)
{
    const auto rows = database.openRecordset(LithRow.rowSet);
    const FieldValue wanted = trim(FieldValue::text(asked));
    QString caption;
    for (; !rows->eof(); rows->moveNext())
        if (equals(trim(rows->field("lithology")), wanted))
            caption = "Level: " + rows->field("lith_level").toText();
    return caption;
}

// Every name of the row set as a node shows it, padded and in other case too,
// and names no row has.
QStringList namesToAsk(Database &database)
{
    QStringList asked{"Nowhere", "", " ", "%%", "C%", "Cl_"};
    for (const auto rows = database.openRecordset(LithRow.rowSet); !rows->eof(); rows->moveNext()) {
        const FieldValue name = rows->field("lithology");
        if (name.isNull())
            continue;
        const QString text = trim(name).toText();
        asked << text << " " + text + "  " << text.toUpper() << text + "\t";
    }
    asked.removeDuplicates();
    return asked;
}

} // namespace

// "Define" finds a term's level by reading the lithology row set: the last
// matching row wins, whatever the row set and its indexes.
class LevelLookupTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        useOdbcIni(sqliteDataSource(sqliteFile()) +
                   postgresDataSource("kestrelon_levels").replace("[ds_hier]", "[ds_postgres]") +
                   mariadbDataSource("kestrelon_levels").replace("[ds_hier]", "[ds_mariadb]"));
    }

    // Define narrows the read to the rows whose name may match and reads the
    // whole row set only when their order decides: on randomly drawn row
    // sets it always gives the answer of the whole read, and with a text
    // name column it reads fewer rows for some terms. KESTRELON_TEST_SEED
    // repeats a run.
    void narrowedLookupAgreesWithFullRead_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("nameType");
        QTest::addColumn<bool>("indexed");
        QTest::addColumn<int>("narrows");
        QTest::addColumn<QString>("levelType");
        struct Source
        {
            const char *tag;
            const char *engine;
            const char *nameType;
            bool indexed;
            Narrowing narrows;
            const char *levelType = "INTEGER";
        };
        const Source sources[] = {
            // The full read describes such a column as text, so REAL 2.0 reads
            // "2.0" there, whatever the rows a narrower query returns.
            {"SQLite, text, untyped levels", "sqlite", "TEXT", false, Narrowing::Always, ""},
            {"SQLite, untyped names and levels", "sqlite", "", true, Narrowing::Sometimes, ""},
            {"SQLite, text", "sqlite", "TEXT", false, Narrowing::Always},
            {"SQLite, text, index on name and level", "sqlite", "TEXT", true, Narrowing::Always},
            {"SQLite, untyped, numbers among texts", "sqlite", "", false, Narrowing::Sometimes},
            {"SQLite, STRING, numbers among texts", "sqlite", "STRING", false, Narrowing::Always},
            {"SQLite, NUMERIC", "sqlite", "NUMERIC", true, Narrowing::Never},
            {"SQLite, REAL", "sqlite", "REAL", false, Narrowing::Never},
            {"PostgreSQL, text", "postgres", "text", false, Narrowing::Always},
            {"PostgreSQL, varchar, index", "postgres", "varchar(40)", true, Narrowing::Always},
            {"PostgreSQL, char(16)", "postgres", "char(16)", false, Narrowing::Always},
            {"PostgreSQL, numeric", "postgres", "numeric", true, Narrowing::Never},
            {"MariaDB, varchar, index", "mariadb", "VARCHAR(40)", true, Narrowing::Always},
            {"MariaDB, double", "mariadb", "DOUBLE", false, Narrowing::Never},
        };
        for (const Source &source : sources)
            QTest::newRow(source.tag)
                << QString(source.engine) << QString(source.nameType) << source.indexed
                << int(source.narrows) << QString(source.levelType);
    }
    void narrowedLookupAgreesWithFullRead()
    {
        QFETCH(QString, engine);
        QFETCH(QString, nameType);
        QFETCH(bool, indexed);
        QFETCH(int, narrows);
        QFETCH(QString, levelType);
        if (engine == "postgres")
            REQUIRE_POSTGRES();
        if (engine == "mariadb")
            REQUIRE_MARIADB();
        const quint32 seed = qEnvironmentVariableIsSet("KESTRELON_TEST_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("KESTRELON_TEST_SEED"))
                                 : QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        const bool numeric = !nameType.isEmpty() &&
                             !nameType.contains("char", Qt::CaseInsensitive) &&
                             !nameType.contains("text", Qt::CaseInsensitive);
        const RandomTerms terms = randomTerms(random, !numeric || engine == "sqlite",
                                              numeric || nameType.isEmpty(), levelType.isEmpty());
        const std::shared_ptr<Database> database =
            createRowSet(engine, nameType, indexed, terms, levelType);

        int narrowed = 0;
        for (const QString &asked : namesToAsk(*database)) {
            const QString expected = levelByFullRead(*database, asked);
            std::shared_ptr<Recordset> rows;
            const NodeDetails details =
                lithologyDetails(*database, rows, {FieldValue::text(asked), FieldValue::text("x")});
            const QString context = QStringLiteral("seed %1, name \"%2\"").arg(seed).arg(asked);
            QVERIFY2(!details.error, qPrintable(context));
            QVERIFY2(details.levelCaption == expected,
                     qPrintable(context + ": \"" + details.levelCaption.value_or("(none)") +
                                "\" instead of \"" + expected + "\""));
            if (rows && rows->rowsPassed() < SQLULEN(terms.names.size()))
                ++narrowed;
        }
        if (narrows != int(Narrowing::Sometimes))
            QVERIFY2(
                (narrowed > 0) == (narrows == int(Narrowing::Always)),
                qPrintable(QStringLiteral("seed %1: %2 narrowed reads").arg(seed).arg(narrowed)));
    }

    // Among many rows the last match wins, with the term matched early, in
    // the middle and at the very end, spaces trimmed and case kept.
    void lastMatchingRowWins()
    {
        QList<QVariantList> rows;
        for (int id = 1; id <= 700; ++id)
            rows << term(QStringLiteral("Term %1").arg(id), 1, id);
        rows[4] = term(QStringLiteral("Clay"), 1, 5);
        rows[300] = term(QStringLiteral("  Clay "), 2, 301);
        rows[400] = term(QStringLiteral("clay"), 5, 401);
        rows[699] = term(QStringLiteral("Clay  "), 3, 700);
        sqlite::create(sqliteFile(),
                       sqlite::rowSet("QryLithParent", sqlite::lithologyColumns(), rows));
        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();
        const FormProbe probe(form);
        probe.select("Clay5");
        QVERIFY(probe.pressDefine());
        QVERIFY(boxes.boxes().isEmpty());
        QCOMPARE(probe.txtDescription->toPlainText(), QStringLiteral("Clay: about Clay"));
        QCOMPARE(probe.lbl_level->text(), QStringLiteral("Level: 3"));
    }

    // The row set's own order decides which match is last, even where an
    // index on the name and level would give the two columns in another.
    void levelFollowsTheRowSetsOwnOrder_data()
    {
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("level");
        const QString nameAndLevel = QStringLiteral("(Lithology, Lith_level)");
        QTest::newRow("first-level Clay after the second-level one") << nameAndLevel << "Clay3"
                                                                     << "Level: 1";
        QTest::newRow("second-level Clay before the first-level one") << nameAndLevel << "Clay2"
                                                                      << "Level: 1";
        QTest::newRow("an index with the level first") << "(Lith_level, Lithology)"
                                                       << "Clay3"
                                                       << "Level: 1";
    }
    void levelFollowsTheRowSetsOwnOrder()
    {
        QFETCH(QString, index);
        QFETCH(QString, selected);
        QFETCH(QString, level);
        QStringList statements{
            "CREATE TABLE terms (Lithology TEXT, Parent TEXT, Lith_level INTEGER, lith_id "
            "INTEGER, parent_id INTEGER, parent_level INTEGER, description TEXT)",
            "CREATE VIEW QryLithParent AS SELECT * FROM terms",
            "INSERT INTO terms VALUES ('Sand', NULL, 1, 1, NULL, NULL, 'about Sand'), "
            "('Clay', 'Sand', 2, 2, 1, 1, 'about Clay'), "
            "('Clay', NULL, 1, 3, NULL, NULL, 'about Clay')"};
        if (!index.isEmpty())
            statements << "CREATE INDEX terms_order ON terms " + index;
        sqlite::create(sqliteFile(), statements);
        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();
        const FormProbe probe(form);
        probe.select(selected);
        QVERIFY(probe.pressDefine());
        QVERIFY(boxes.boxes().isEmpty());
        QCOMPARE(probe.txtDescription->toPlainText(), QStringLiteral("Clay: about Clay"));
        QCOMPARE(probe.lbl_level->text(), level);
    }

    // A row set without "lith_level" fails only when a row matches, as
    // reading it whole would; a failed request writes neither control.
    void missingLevelColumn_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("fails");
        QTest::newRow("no row matches") << "Sand2" << false;
        QTest::newRow("a row matches") << "Clay1" << true;
    }
    void missingLevelColumn()
    {
        QFETCH(QString, selected);
        QFETCH(bool, fails);
        // Built from one row set, looked up in another that lacks the level.
        sqlite::create(sqliteFile(), sqlite::rowSet("QryLithParent", sqlite::lithologyColumns(),
                                                    {term("Clay", 1, 1), term("Sand", 1, 2)}));
        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();
        const FormProbe probe(form);
        QCOMPARE(probe.tree->nodeCount(), 3);
        // The open connection sees the change.
        sqlite::change(sqliteFile(),
                       {QStringLiteral("DROP VIEW QryLithParent"),
                        QStringLiteral("CREATE VIEW QryLithParent AS SELECT Lithology, lith_id "
                                       "FROM QryLithParent_rows WHERE Lithology <> 'Sand' "
                                       "ORDER BY rowid")});
        probe.select(selected);
        QVERIFY(probe.pressDefine());
        const QString name = selected.chopped(1);
        QCOMPARE(probe.txtDescription->toPlainText(),
                 fails ? QString() : name + QStringLiteral(": about ") + name);
        QCOMPARE(probe.lbl_level->text(), QString());
        QCOMPARE(boxes.boxes().size(), fails ? 1 : 0);
        if (fails)
            QVERIFY2(boxes.texts().join("").contains("lith_level", Qt::CaseInsensitive),
                     qPrintable(boxes.texts().join("")));
    }

private:
    // The row set "QryLithParent" of the engine, a view without ORDER BY
    // over the drawn rows, and a connection to it.
    std::shared_ptr<Database> createRowSet(const QString &engine, const QString &nameType,
                                           bool indexed, const RandomTerms &terms,
                                           const QString &levelType)
    {
        const auto index = [indexed](const QString &name, const QString &level) {
            return indexed ? QStringLiteral("CREATE INDEX terms_name ON terms (%1, %2);\n")
                                 .arg(name, level)
                           : QString();
        };
        if (engine == "sqlite") {
            sqlite::create(sqliteFile(),
                           {"CREATE TABLE terms (pos INTEGER PRIMARY KEY, Lithology " + nameType +
                                ", Lith_level " + levelType + ", description TEXT)",
                            index("Lithology", "Lith_level"),
                            "CREATE VIEW QryLithParent AS SELECT Lithology, Lith_level, "
                            "description FROM terms",
                            "INSERT INTO terms VALUES " + valuesList(terms)});
            return connect("ds_hier");
        }
        if (engine == "postgres") {
            postgres::run("postgres", "DROP DATABASE IF EXISTS kestrelon_levels");
            postgres::run("postgres", "CREATE DATABASE kestrelon_levels");
            const QString sql =
                "CREATE TABLE terms (pos integer PRIMARY KEY, \"Lithology\" " + nameType +
                ", \"Lith_level\" integer, description text);\n" +
                index("\"Lithology\"", "\"Lith_level\"") + "INSERT INTO terms VALUES " +
                valuesList(terms) +
                ";\nCREATE VIEW \"QryLithParent\" AS SELECT \"Lithology\", \"Lith_level\", "
                "description FROM terms;\nGRANT SELECT ON \"QryLithParent\" TO \"user\";\n";
            if (postgres::run("kestrelon_levels", sql) != 0)
                qFatal("cannot create the PostgreSQL row set");
            return connect("ds_postgres");
        }
        const QString sql = "CREATE TABLE terms (pos INTEGER PRIMARY KEY, Lithology " + nameType +
                            ", Lith_level INTEGER, description TEXT);\n" +
                            index("Lithology", "Lith_level") + "INSERT INTO terms VALUES " +
                            valuesList(terms) +
                            ";\nCREATE VIEW QryLithParent AS SELECT Lithology, Lith_level, "
                            "description FROM terms;\n"
                            "GRANT SELECT ON QryLithParent TO 'user'@'127.0.0.1';\n";
        if (mariadb::recreate("kestrelon_levels", sql) != 0)
            qFatal("cannot create the MariaDB row set");
        return connect("ds_mariadb");
    }

    static std::shared_ptr<Database> connect(const QString &dataSource)
    {
        return Engine::instance()
            ->createWorkspace(dataSource, QStringLiteral("user"), QStringLiteral("tamarisk"))
            ->openDatabase(dataSource);
    }
};

QTEST_MAIN(LevelLookupTest)
#include "tst_levellookup.moc"
