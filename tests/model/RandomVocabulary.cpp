// SPDX-License-Identifier: GPL-3.0-or-later
#include "RandomVocabulary.h"

#include "ModelValue.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace model {

namespace {

class Random
{
public:
    explicit Random(quint32 seed) : generator_(seed) {}
    int below(int n) { return n <= 0 ? 0 : int(generator_.bounded(n)); }
    bool chance(int percent) { return below(100) < percent; }
    QString pick(const QStringList &list) { return list.at(below(int(list.size()))); }

private:
    QRandomGenerator generator_;
};

// A value before it meets a column: its kind and how it is spelt.
struct Gen
{
    enum Kind { Null, Int, Big, Dec, Dbl, Txt };
    Kind kind = Null;
    QString spelling;
};

Gen null()
{
    return {};
}
Gen integer(qint64 n)
{
    return {Gen::Int, QString::number(n)};
}
Gen of(Gen::Kind kind, const QString &spelling)
{
    return {kind, spelling};
}

// The kind of column a value goes into, whatever the engine calls it.
enum class Flavour { Text, Integer, Real, Decimal, Scaled, Untyped };

struct Column
{
    QString name;
    Flavour flavour;
    QString type;
};

QString sqlType(Flavour flavour, Engine engine, Random &random, bool wide)
{
    const bool sqlite = engine == Engine::Sqlite;
    const bool postgres = engine == Engine::Postgres;
    switch (flavour) {
    case Flavour::Untyped:
        if (sqlite)
            return QString();
        [[fallthrough]];
    case Flavour::Text:
        if (sqlite)
            return random.pick({"TEXT", "VARCHAR(80)"});
        if (postgres)
            return random.pick({"text", "varchar(80)"});
        return wide ? QStringLiteral("VARCHAR(120)") : QStringLiteral("VARCHAR(60)");
    case Flavour::Integer:
        return sqlite ? QStringLiteral("INTEGER") : QStringLiteral("BIGINT");
    case Flavour::Real:
        return sqlite ? QStringLiteral("REAL")
                      : (postgres ? QStringLiteral("double precision") : QStringLiteral("DOUBLE"));
    case Flavour::Decimal:
        return sqlite ? QStringLiteral("NUMERIC")
                      : (postgres ? QStringLiteral("numeric") : QStringLiteral("DECIMAL(40,0)"));
    case Flavour::Scaled:
        return sqlite
                   ? QStringLiteral("DECIMAL(10,2)")
                   : (postgres ? QStringLiteral("numeric(40,6)") : QStringLiteral("DECIMAL(40,6)"));
    }
    return QString();
}

QString quoted(const QString &text)
{
    return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}

int fractionDigits(const QString &number)
{
    const qsizetype point = number.indexOf(u'.');
    return point < 0 ? 0 : int(number.size() - point - 1);
}

// The value as a literal for a column of this flavour; NULL where the
// engine would refuse it (SQLite takes anything).
QString literal(const Gen &value, Flavour flavour, Engine engine)
{
    if (value.kind == Gen::Null)
        return QStringLiteral("NULL");
    const bool textual = flavour == Flavour::Text || flavour == Flavour::Untyped;
    if (value.kind == Gen::Txt) {
        if (textual || engine == Engine::Sqlite)
            return quoted(value.spelling);
        static const QRegularExpression integral(QStringLiteral("^[+-]?[0-9]{1,18}$"));
        static const QRegularExpression number(
            QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
        if (flavour == Flavour::Integer ||
            (flavour == Flavour::Decimal && engine == Engine::Mariadb))
            return integral.match(value.spelling).hasMatch() ? quoted(value.spelling)
                                                             : QStringLiteral("NULL");
        if (!number.match(value.spelling).hasMatch())
            return QStringLiteral("NULL");
        if (flavour == Flavour::Scaled && engine == Engine::Mariadb &&
            (value.spelling.contains(u'e', Qt::CaseInsensitive) ||
             fractionDigits(value.spelling) > 6))
            return QStringLiteral("NULL");
        return quoted(value.spelling);
    }
    if (flavour == Flavour::Text)
        return quoted(value.spelling);
    if (engine == Engine::Sqlite || flavour == Flavour::Untyped || flavour == Flavour::Real)
        return value.spelling;
    // Servers, whole and exact columns.
    const bool whole = value.kind == Gen::Int || value.kind == Gen::Big;
    const double asDouble = value.spelling.toDouble();
    const bool integralDouble =
        value.kind == Gen::Dbl && asDouble == std::trunc(asDouble) && std::fabs(asDouble) < 1e30;
    switch (flavour) {
    case Flavour::Integer:
        return value.kind == Gen::Int ? value.spelling : QStringLiteral("NULL");
    case Flavour::Decimal:
        if (engine == Engine::Postgres || whole)
            return value.spelling;
        return integralDouble ? value.spelling : QStringLiteral("NULL");
    case Flavour::Scaled:
        if (whole || integralDouble)
            return value.spelling;
        if (engine == Engine::Postgres)
            return value.spelling;
        return value.kind == Gen::Dec && fractionDigits(value.spelling) <= 6
                   ? value.spelling
                   : QStringLiteral("NULL");
    default:
        return value.spelling;
    }
}

const QStringList lithologyNames{"Clay",     "Sand",
                                 "Silt",     "Marl",
                                 "Chalk",    "Tuff",
                                 "Granite",  "Basalt",
                                 "Gneiss",   "Grès",
                                 "Ünïcödé",  "Кварц",
                                 "石灰岩",   "🪨 Rock",
                                 "💎",        "12",
                                 "1.5",      "a",
                                 "ab",       "Str",
                                 "lith",     "O'Brien",
                                 "50% clay", "x_y",
                                 "tab\tin",  "Lithology Version 6"};
const QStringList stratigraphyNames{
    "Jurassic", "Cretaceous", "Holocene", "Paleozoic", "Phanerozoic",       "Éon", "Ära", "Кембрий",
    "白亜紀",   "🦕 Age",   "Strat",    "Str",       "Stratigraphic Age", "3",   "0.5", "a",
    "ab"};
const QStringList descriptions{"",           "fine grains",    "coarse\r\ngrained",
                               "a \"word\"", "Grès fin 🪨", "melt",
                               "50% clay",   "  spaced  "};
const QStringList ranks{"Eon", "Era", "Period", "Epoch", "Age", ""};

// How one hierarchy differs from the other.
struct Shape
{
    bool lithology;
    int firstLevel;
};

struct Term
{
    Gen name, parent, level, id, parentId, parentLevel, tag, minAge, maxAge;
};

class HierarchyGenerator
{
public:
    HierarchyGenerator(Random &random, Engine engine, Shape shape)
        : random_(random), engine_(engine), shape_(shape)
    {
    }

    RowSetSql generate();

private:
    Gen name(const QList<Term> &earlier);
    Gen variantOf(const Gen &name);
    Gen id(int index);
    Gen level(int actual, bool first, QString *offset);
    Gen age();
    Flavour flavour(const QList<std::pair<Flavour, int>> &weights);
    void addCollisions(QList<Term> &terms);
    QList<Column> columns();

    Random &random_;
    Engine engine_;
    Shape shape_;
};

Flavour HierarchyGenerator::flavour(const QList<std::pair<Flavour, int>> &weights)
{
    int total = 0;
    for (const auto &w : weights)
        total += w.second;
    int at = random_.below(total);
    for (const auto &w : weights) {
        if (at < w.second)
            return w.first == Flavour::Untyped && engine_ != Engine::Sqlite ? Flavour::Text
                                                                            : w.first;
        at -= w.second;
    }
    return Flavour::Text;
}

Gen HierarchyGenerator::name(const QList<Term> &earlier)
{
    if (random_.chance(4))
        return null();
    if (random_.chance(3))
        return of(Gen::Txt, QString());
    // Numbers, which a column without a declared type keeps as numbers.
    if (random_.chance(5))
        return random_.chance(50) ? integer(random_.below(4) + 1)
                                  : of(Gen::Dbl, random_.pick({"1.5", "2.50", "1e15", "3.0"}));
    if (!earlier.isEmpty() && random_.chance(15)) {
        const Gen twin = earlier.at(random_.below(int(earlier.size()))).name;
        return random_.chance(60) ? twin : variantOf(twin);
    }
    const Gen base =
        of(Gen::Txt, random_.pick(shape_.lithology ? lithologyNames : stratigraphyNames));
    return random_.chance(20) ? variantOf(base) : base;
}

Gen HierarchyGenerator::variantOf(const Gen &name)
{
    if (name.kind != Gen::Txt)
        return name;
    switch (random_.below(4)) {
    case 0:
        return of(Gen::Txt, QStringLiteral("  ") + name.spelling + u' ');
    case 1:
        return of(Gen::Txt, u' ' + name.spelling);
    case 2:
        return of(Gen::Txt, name.spelling.toUpper());
    default:
        return of(Gen::Txt, name.spelling.toLower());
    }
}

Gen HierarchyGenerator::id(int index)
{
    const int pick = random_.below(100);
    if (pick < 55)
        return integer(index + 1);
    if (pick < 62)
        return integer(random_.below(8) + 1); // shared with others
    if (pick < 74)
        return of(Gen::Txt, random_.pick({"007", "1.0", " 5", "b1", "at", "x", "05", "6", "1e0"}));
    if (pick < 82)
        return of(Gen::Big, random_.pick({"9007199254740993", "123456789012345678901234567890",
                                          "18446744073709551616", "9007199254740992"}));
    if (pick < 90)
        return of(Gen::Dec, random_.pick({"12.5", "9007199254740993.25", "0.1", "2.50"}));
    if (pick < 94)
        return of(Gen::Dbl, random_.pick({"1e15", "2.5e17", "1e20"}));
    return null();
}

// A level as stored: usually the number, sometimes text, a fraction, Null.
Gen HierarchyGenerator::level(int actual, bool first, QString *offset)
{
    const QString digits = QString::number(actual);
    const int pick = random_.below(100);
    if (!first && offset && pick < 10) {
        *offset = random_.pick({".5", ".7", ".1", ".25"});
        return of(Gen::Dec, digits + *offset);
    }
    if (pick < 72)
        return integer(actual);
    if (pick < 80)
        return of(Gen::Dec, digits + QStringLiteral(".0"));
    if (pick < 88)
        return of(Gen::Txt, random_.pick({digits, u' ' + digits, digits + QStringLiteral(".0"),
                                          u'+' + digits, digits + QStringLiteral("e0")}));
    if (pick < 93)
        return of(Gen::Txt, random_.pick({"x", "two", "1,0"}));
    if (pick < 97)
        return null();
    return of(Gen::Dbl, digits + QStringLiteral("e0"));
}

Gen HierarchyGenerator::age()
{
    const int pick = random_.below(100);
    if (pick < 10)
        return null();
    if (pick < 45)
        return integer(random_.below(4000));
    if (pick < 70)
        return of(Gen::Dec, random_.pick({"0.0117", "538.8", "251.902", "66.0", "12.5"}));
    if (pick < 93)
        return of(Gen::Dbl, random_.pick({"1e15", "2.5e17", "1e20", "1e23", "0.30000000000000004",
                                          "1e-7", "4000.5", "-1e16"}));
    return of(Gen::Big, QStringLiteral("100000000000000000000"));
}

// Rows whose name and id join to a key another row's, or a root's, makes.
void HierarchyGenerator::addCollisions(QList<Term> &terms)
{
    const QList<std::pair<QString, Gen>> pairs{
        {"ab", integer(1)},          {"a", of(Gen::Txt, "b1")},   {"lith", integer(6)},
        {"lith6", null()},           {"Str", of(Gen::Txt, "at")}, {"Strat", null()},
        {"", of(Gen::Txt, "lith6")}, {"St", of(Gen::Txt, "rat")}};
    const int count = random_.chance(40) ? random_.below(4) + 1 : 0;
    for (int i = 0; i < count; ++i) {
        const auto &pair = pairs.at(random_.below(int(pairs.size())));
        Term term;
        term.name = of(Gen::Txt, pair.first);
        term.id = pair.second;
        term.level = integer(shape_.firstLevel);
        term.tag = of(Gen::Txt, QStringLiteral("collides"));
        term.minAge = integer(1);
        term.maxAge = integer(2);
        terms.insert(random_.below(int(terms.size()) + 1), term);
    }
}

QList<Column> HierarchyGenerator::columns()
{
    using F = Flavour;
    const QList<std::pair<F, int>> names{{F::Text, 80}, {F::Untyped, 20}};
    const QList<std::pair<F, int>> levels{{F::Integer, 40}, {F::Real, 10}, {F::Decimal, 10},
                                          {F::Scaled, 10},  {F::Text, 15}, {F::Untyped, 15}};
    const QList<std::pair<F, int>> ids{
        {F::Integer, 35}, {F::Text, 20}, {F::Decimal, 15}, {F::Scaled, 15}, {F::Untyped, 15}};
    const QList<std::pair<F, int>> tags{{F::Text, 85}, {F::Untyped, 15}};
    const QList<std::pair<F, int>> ages{
        {F::Real, 40}, {F::Decimal, 20}, {F::Scaled, 20}, {F::Text, 10}, {F::Untyped, 10}};
    const F idFlavour = flavour(ids);
    QList<Column> columns{{shape_.lithology ? "Lithology" : "strat_name", flavour(names), {}},
                          {"Parent", flavour(names), {}},
                          {shape_.lithology ? "Lith_level" : "strat_level", flavour(levels), {}},
                          {shape_.lithology ? "lith_id" : "strat_id", idFlavour, {}},
                          {"parent_id", random_.chance(70) ? idFlavour : flavour(ids), {}},
                          {"parent_level", flavour(levels), {}},
                          {shape_.lithology ? "description" : "strat_rank", flavour(tags), {}}};
    if (!shape_.lithology) {
        columns << Column{"min_age", flavour(ages), {}} << Column{"max_age", flavour(ages), {}};
    }
    for (int i = 0; i < columns.size(); ++i) {
        Column &column = columns[i];
        column.type = sqlType(column.flavour, engine_, random_, i == 6);
        // Names are matched whatever their case.
        if (random_.chance(15))
            column.name = random_.chance(50) ? column.name.toUpper() : column.name.toLower();
    }
    return columns;
}

RowSetSql HierarchyGenerator::generate()
{
    const QList<Column> columns = this->columns();
    QList<Term> terms;
    QList<int> actualLevels;
    const int count = random_.chance(5) ? 0 : random_.below(22) + 2;
    for (int i = 0; i < count; ++i) {
        Term term;
        const bool first = terms.isEmpty() || random_.chance(30);
        const int parent = first ? -1 : random_.below(int(terms.size()));
        int actual = shape_.firstLevel;
        if (!first) {
            const int step = shape_.lithology ? (random_.chance(95) ? 1 : 2)
                                              : (random_.chance(60) ? 100
                                                 : random_.chance(75)
                                                     ? 50
                                                     : random_.pick({"150", "0", "25"}).toInt());
            actual = actualLevels.at(parent) + step;
        }
        term.name = name(terms);
        term.id = id(i);
        QString offset;
        term.level = level(actual, first, &offset);
        if (!first) {
            const Term &p = terms.at(parent);
            const int parentLevel = actualLevels.at(parent);
            term.parentLevel = offset.isEmpty()
                                   ? level(parentLevel, false, nullptr)
                                   : of(Gen::Dec, QString::number(parentLevel) + offset);
            term.parent =
                random_.chance(90) ? p.name : (random_.chance(50) ? null() : variantOf(p.name));
            term.parentId =
                random_.chance(92) ? p.id : (random_.chance(50) ? null() : id(parent + 7));
        } else if (random_.chance(10)) {
            // A first-level row that names a parent all the same.
            term.parent = of(Gen::Txt, QStringLiteral("Elsewhere"));
            term.parentId = integer(99);
            term.parentLevel = integer(shape_.firstLevel - 1);
        }
        term.tag = random_.chance(10) ? null()
                   : shape_.lithology ? of(Gen::Txt, random_.pick(descriptions))
                                      : of(Gen::Txt, random_.pick(ranks));
        if (random_.chance(4))
            term.tag = random_.chance(50) ? integer(42) : of(Gen::Dbl, QStringLiteral("1e15"));
        term.minAge = age();
        term.maxAge = age();
        terms << term;
        actualLevels << actual;
    }
    // Two rows naming each other as parents.
    if (random_.chance(10)) {
        Term yin, yang;
        yin.name = of(Gen::Txt, QStringLiteral("Yin"));
        yang.name = of(Gen::Txt, QStringLiteral("Yang"));
        yin.id = integer(501);
        yang.id = integer(502);
        for (Term *t : {&yin, &yang}) {
            t->level = integer(shape_.firstLevel + (shape_.lithology ? 1 : 100));
            t->parentLevel = integer(shape_.firstLevel);
            t->tag = of(Gen::Txt, QStringLiteral("cycle"));
        }
        yin.parent = yang.name;
        yin.parentId = yang.id;
        yang.parent = yin.name;
        yang.parentId = yin.id;
        terms << yin << yang;
    }
    addCollisions(terms);
    // Exact copies, and children before their parents.
    if (!terms.isEmpty() && random_.chance(15))
        terms.insert(random_.below(int(terms.size()) + 1),
                     terms.at(random_.below(int(terms.size()))));
    for (int swaps = random_.chance(30) ? random_.below(3) + 1 : 0; swaps > 0 && terms.size() > 1;
         --swaps)
        terms.swapItemsAt(random_.below(int(terms.size())), random_.below(int(terms.size())));

    RowSetSql rowSet;
    rowSet.view =
        shape_.lithology ? QStringLiteral("QryLithParent") : QStringLiteral("QryStratParent");
    for (const Column &column : columns) {
        rowSet.columnNames << column.name;
        rowSet.columnTypes << column.type;
    }
    for (const Term &term : terms) {
        QList<Gen> values{term.name,     term.parent,      term.level, term.id,
                          term.parentId, term.parentLevel, term.tag};
        if (!shape_.lithology)
            values << term.minAge << term.maxAge;
        QStringList row;
        for (int i = 0; i < columns.size(); ++i)
            row << literal(values.at(i), columns.at(i).flavour, engine_);
        rowSet.rows << row;
    }
    rowSet.coveringIndex = random_.chance(30);
    return rowSet;
}

QString identifier(Engine engine, const QString &name)
{
    return engine == Engine::Mariadb ? u'`' + name + u'`' : u'"' + name + u'"';
}

QString columnList(Engine engine, const RowSetSql &rowSet)
{
    QStringList names;
    for (const QString &name : rowSet.columnNames)
        names << identifier(engine, name);
    return names.join(QStringLiteral(", "));
}

QString tableOf(const RowSetSql &rowSet)
{
    return rowSet.view == QLatin1String("QryLithParent") ? QStringLiteral("lith_rows")
                                                         : QStringLiteral("strat_rows");
}

// The statements that make one row set: its table, rows, index and view.
QStringList rowSetStatements(Engine engine, const RowSetSql &rowSet)
{
    const QString table = tableOf(rowSet);
    QStringList declarations{engine == Engine::Postgres
                                 ? QStringLiteral("pos integer")
                                 : QStringLiteral("pos INTEGER PRIMARY KEY")};
    for (int i = 0; i < rowSet.columnNames.size(); ++i)
        declarations << (identifier(engine, rowSet.columnNames.at(i)) + u' ' +
                         rowSet.columnTypes.at(i))
                            .trimmed();
    declarations << QStringLiteral("pad TEXT");
    QStringList statements{
        QStringLiteral("CREATE TABLE %1 (%2)").arg(table, declarations.join(QStringLiteral(", ")))};
    // A wide row makes an index over the view's columns the cheaper scan.
    const QString pad = rowSet.coveringIndex ? quoted(QString(300, u'x')) : QStringLiteral("NULL");
    for (int i = 0; i < rowSet.rows.size(); ++i)
        statements << QStringLiteral("INSERT INTO %1 VALUES (%2, %3, %4)")
                          .arg(table)
                          .arg(i + 1)
                          .arg(rowSet.rows.at(i).join(QStringLiteral(", ")), pad);
    if (rowSet.coveringIndex)
        statements << QStringLiteral("CREATE INDEX %1_cover ON %1 (%2)")
                          .arg(table, columnList(engine, rowSet));
    statements << QStringLiteral("CREATE VIEW %1 AS SELECT %2 FROM %3")
                      .arg(quotedView(engine, rowSet.view), columnList(engine, rowSet), table);
    return statements;
}

} // namespace

int Vocabulary::rowCount() const
{
    return int(lithology.rows.size() + (stratigraphy ? stratigraphy->rows.size() : 0));
}

Vocabulary randomVocabulary(quint32 seed, Engine engine)
{
    Random random(seed);
    Vocabulary vocabulary;
    vocabulary.engine = engine;
    vocabulary.seed = seed;
    vocabulary.lithology = HierarchyGenerator(random, engine, {true, 1}).generate();
    if (random.chance(80))
        vocabulary.stratigraphy = HierarchyGenerator(random, engine, {false, 100}).generate();
    vocabulary.indexOrder = engine == Engine::Postgres && random.chance(30);
    return vocabulary;
}

QStringList sqliteStatements(const Vocabulary &vocabulary)
{
    QStringList statements = rowSetStatements(Engine::Sqlite, vocabulary.lithology);
    if (vocabulary.stratigraphy)
        statements += rowSetStatements(Engine::Sqlite, *vocabulary.stratigraphy);
    return statements;
}

QString serverScript(const Vocabulary &vocabulary, const QString &database)
{
    const Engine engine = vocabulary.engine;
    QStringList statements;
    for (const QString &view : {QStringLiteral("QryLithParent"), QStringLiteral("QryStratParent")})
        statements << QStringLiteral("DROP VIEW IF EXISTS %1").arg(quotedView(engine, view));
    statements << QStringLiteral("DROP TABLE IF EXISTS lith_rows")
               << QStringLiteral("DROP TABLE IF EXISTS strat_rows");
    QList<const RowSetSql *> rowSets{&vocabulary.lithology};
    if (vocabulary.stratigraphy)
        rowSets << &*vocabulary.stratigraphy;
    for (const RowSetSql *rowSet : rowSets) {
        statements += rowSetStatements(engine, *rowSet);
        statements << (engine == Engine::Postgres
                           ? QStringLiteral("GRANT SELECT ON %1 TO \"user\"")
                                 .arg(quotedView(engine, rowSet->view))
                           : QStringLiteral("GRANT SELECT ON %1.%2 TO 'user'@'127.0.0.1'")
                                 .arg(database, rowSet->view));
    }
    if (engine == Engine::Postgres)
        statements << QStringLiteral("ALTER ROLE \"user\" IN DATABASE %1 %2")
                          .arg(database, vocabulary.indexOrder
                                             ? QStringLiteral("SET enable_seqscan = off")
                                             : QStringLiteral("RESET enable_seqscan"));
    return statements.join(QStringLiteral(";\n")) + u';';
}

QString quotedView(Engine engine, const QString &view)
{
    return identifier(engine, view);
}

QString describe(const Vocabulary &vocabulary)
{
    QString text;
    QList<const RowSetSql *> rowSets{&vocabulary.lithology};
    if (vocabulary.stratigraphy)
        rowSets << &*vocabulary.stratigraphy;
    for (const RowSetSql *rowSet : rowSets) {
        QStringList header;
        for (int i = 0; i < rowSet->columnNames.size(); ++i)
            header << (rowSet->columnNames.at(i) + u' ' + rowSet->columnTypes.at(i)).trimmed();
        text += QStringLiteral("%1 (%2)%3:\n")
                    .arg(rowSet->view, header.join(QStringLiteral(", ")),
                         rowSet->coveringIndex ? QStringLiteral(", covering index") : QString());
        for (const QStringList &row : rowSet->rows) {
            QString line = row.join(QStringLiteral(", "));
            line.replace(u'\r', QStringLiteral("\\r"))
                .replace(u'\n', QStringLiteral("\\n"))
                .replace(u'\t', QStringLiteral("\\t"));
            text += QStringLiteral("  (") + line + QStringLiteral(")\n");
        }
    }
    if (!vocabulary.stratigraphy)
        text += QStringLiteral("no QryStratParent\n");
    if (vocabulary.indexOrder)
        text += QStringLiteral("sequential scans off\n");
    return text;
}

} // namespace model
