// SPDX-License-Identifier: GPL-3.0-or-later
#include "LithologyDetails.h"

#include "data/Database.h"
#include "data/HierarchyRow.h"
#include "data/Recordset.h"
#include "data/SqliteSchema.h"

namespace kestrelon {

namespace {

// The columns the builder reads as "Lithology" and "Lith_level", named as a
// missing one is reported; names match whatever their case.
const QString nameColumnName = QStringLiteral("lithology");
const QString levelColumnName = QStringLiteral("lith_level");

// Whether a row's name, spaces trimmed, equals the wanted (trimmed) text.
// Text against text compares the characters in place; other kinds take the
// general rules.
bool matches(const FieldValue &name, const FieldValue &wanted)
{
    if (name.kind() == FieldValue::Kind::Text && wanted.kind() == FieldValue::Kind::Text)
        return trimSpaces(name.textView()) == wanted.textView();
    return equals(trim(name), wanted);
}

QString levelCaption(const FieldValue &level)
{
    return concat(FieldValue::text(QStringLiteral("Level: ")), level).toText();
}

// The level caption of every row of `cursor` that matches, from the current
// row to the end, in the cursor's order.
template<typename Found> void forEachMatch(Recordset &cursor, const FieldValue &wanted, Found found)
{
    int nameColumn = -1;
    int levelColumn = -1;
    for (; !cursor.eof(); cursor.moveNext()) {
        if (nameColumn < 0)
            nameColumn = cursor.fieldIndex(nameColumnName);
        if (!matches(cursor.value(nameColumn), wanted))
            continue;
        if (levelColumn < 0)
            levelColumn = cursor.fieldIndex(levelColumnName);
        found(levelCaption(cursor.value(levelColumn)));
    }
}

// A LIKE pattern that matches any text containing `text`, its wildcards
// escaped with '!' (which no engine treats as special in a string literal).
QString containsPattern(QStringView text)
{
    QString pattern = QStringLiteral("%");
    for (const QChar c : text) {
        if (c == u'%' || c == u'_' || c == u'[' || c == u'!')
            pattern += u'!';
        pattern += c;
    }
    return pattern + u'%';
}

// A query's condition, and its parameters.
struct Narrowing
{
    QString condition;
    QStringList parameters;
};

// The text as an SQLite expression of its code points, with no quotes or
// markers to escape: a query with a parameter has SQLite's driver read the
// whole result and type its columns by their first values, unlike the full
// read. Nothing for text that is not well-formed or holds a NUL, which
// such an expression would not spell alike.
std::optional<QString> sqliteTextExpression(QStringView text)
{
    if (!text.isValidUtf16() || text.contains(QChar(0)))
        return std::nullopt;
    // SQLite takes at most 127 arguments a function.
    constexpr qsizetype perCall = 100;
    const QList<uint> codePoints = text.toUcs4();
    QStringList calls;
    for (qsizetype first = 0; first < codePoints.size(); first += perCall) {
        QStringList arguments;
        for (const uint codePoint : codePoints.mid(first, perCall))
            arguments << QString::number(codePoint);
        calls << QStringLiteral("char(%1)").arg(arguments.join(u','));
    }
    return calls.join(QStringLiteral(" || "));
}

// Rows whose name may match: every name containing the wanted text. Where
// LIKE tests that, its case-insensitive matching only lets more through.
// SQLite finds the text itself, much as fast as it reads the rows: it
// matches a stored fractional number or blob against its own text form,
// which need not be the one the program reads, so it lets all of those
// through too.
std::optional<Narrowing> narrowing(Database &database, const QString &nameColumn,
                                   QStringView wanted)
{
    if (!database.runsOnSqlite())
        return Narrowing{QStringLiteral("%1 LIKE ? ESCAPE '!'").arg(nameColumn),
                         {containsPattern(wanted)}};
    const std::optional<QString> text = sqliteTextExpression(wanted);
    if (!text)
        return std::nullopt;
    // A list of two is tested value by value; a longer one SQLite looks up
    // in a table it builds, a little slower for every row.
    return Narrowing{QStringLiteral("(instr(%1, %2) > 0 OR typeof(%1) IN ('real', 'blob'))")
                         .arg(nameColumn, *text),
                     {}};
}

// The name and level columns as the row set spells them, quoted for a query.
struct LookupColumns
{
    QString name;
    QString level;
};

std::optional<LookupColumns> lookupColumns(Database &database, const QStringList &columns)
{
    const auto spelling = [&columns](const QString &wanted) -> std::optional<QString> {
        for (const QString &column : columns) {
            if (column.compare(wanted, Qt::CaseInsensitive) == 0)
                return column;
        }
        return std::nullopt;
    };
    const std::optional<QString> name = spelling(nameColumnName);
    const std::optional<QString> level = spelling(levelColumnName);
    if (!name || !level)
        return std::nullopt;
    return LookupColumns{database.quotedIdentifier(*name), database.quotedIdentifier(*level)};
}

// What Define reads: the cursor, and the level caption of the last matching
// row, none when no row matches.
struct Lookup
{
    std::shared_ptr<Recordset> rows;
    std::optional<QString> levelCaption;
};

// The matching rows of a query of the name, the level and, on SQLite, the
// schema's version, in the order the query returns them.
struct Matches
{
    QStringList captions;
    std::optional<qint64> schema;

    // Whether the rows' order does not matter: no match, or matches that
    // all show one level.
    bool settle() const
    {
        return captions.isEmpty() || captions.count(captions.constFirst()) == captions.size();
    }
};

// The columns of such a query: the name, the level, and the schema's
// version or none.
struct MatchColumns
{
    int name = 0;
    int level = 1;
    int schema = -1;
};

Matches readMatches(Recordset &rows, const FieldValue &wanted, MatchColumns columns)
{
    Matches found;
    for (; !rows.eof(); rows.moveNext()) {
        if (!matches(rows.value(columns.name), wanted))
            continue;
        found.captions << levelCaption(rows.value(columns.level));
        if (columns.schema >= 0 && !found.schema) {
            const FieldValue version = rows.value(columns.schema);
            if (version.kind() == FieldValue::Kind::Whole)
                found.schema = version.wholeNumber();
        }
    }
    return found;
}

// The rows whose name may match, numbered by the server in the row set's
// own order and given in it. Every column of the row set is kept, so that
// the server reads it as the full read does: left out, a column may let it
// take the rest from an index, in the index's order.
std::shared_ptr<Recordset> numberedRows(Database &database, const QString &nameColumn,
                                        QStringView wanted)
{
    const std::optional<Narrowing> narrowed =
        narrowing(database, QStringLiteral("kestrelon_numbered.") + nameColumn, wanted);
    if (!narrowed)
        return nullptr;
    return database.openQuery(
        QStringLiteral("SELECT kestrelon_numbered.* FROM (SELECT row_number() OVER () AS "
                       "kestrelon_position, kestrelon_rows.* FROM %1 kestrelon_rows) "
                       "kestrelon_numbered WHERE %2 ORDER BY kestrelon_position")
            .arg(database.sqlName(LithRow.rowSet), narrowed->condition),
        narrowed->parameters);
}

// The level read from only the rows that may match, in one query, when that
// gives the full read's answer: no matching row, or matching rows that all
// show the same level, so that their order does not matter; or, where the
// server numbers the rows in the row set's order, the last of them. Nothing
// when the source cannot be narrowed, the query fails or the order of the
// matches decides and the server cannot tell it.
//
// The columns are those the last full description of the row set gave: a
// column gone since makes the query fail. Both queries must read a cell
// alike: where the driver types columns by a query's own rows, the level
// 2.0 may read as the number 2 from one and as the text "2.0" from the
// other; and on SQLite a query prepared before the connection noticed that
// another program changed the schema is described by the old one, which
// its rows' schema version tells, and is asked again.
std::optional<Lookup> narrowedLookup(Database &database, const FieldValue &wanted)
{
    if (wanted.kind() != FieldValue::Kind::Text || wanted.textView().isEmpty() ||
        !database.describesColumnsAsDeclared())
        return std::nullopt;
    QStringList known = database.knownColumns(LithRow.rowSet);
    if (known.isEmpty())
        known = database.refreshDescription(LithRow.rowSet);
    const std::optional<LookupColumns> columns = lookupColumns(database, known);
    if (!columns)
        return std::nullopt;
    const bool sqlite = database.runsOnSqlite();
    // Columns are named through the row set's alias: SQLite takes a quoted
    // name that no column has for a string.
    const QString name = QStringLiteral("kestrelon_rows.") + columns->name;
    const QString level = QStringLiteral("kestrelon_rows.") + columns->level;
    const std::optional<Narrowing> narrowed = narrowing(database, name, wanted.textView());
    if (!narrowed)
        return std::nullopt;
    // Any order will do; one of its own also keeps the planner from working
    // for the row set's order (SQLite would sort every row of a view that
    // sorts them).
    const QString query =
        QStringLiteral("SELECT %1, %2%3 FROM %4 kestrelon_rows WHERE %5 ORDER BY %1")
            .arg(name, level,
                 sqlite ? QStringLiteral(", ") + sqliteSchemaVersionExpression() : QString(),
                 database.sqlName(LithRow.rowSet), narrowed->condition);
    try {
        for (int asked = 0; asked < 2; ++asked) {
            Lookup lookup{database.openQuery(query, narrowed->parameters), std::nullopt};
            Recordset &rows = *lookup.rows;
            // The text form of a number, a date or bytes in the database may
            // not be the one the program reads.
            if (!rows.holdsCharacters(0))
                return std::nullopt;
            const Matches found = readMatches(rows, wanted, {0, 1, sqlite ? 2 : -1});
            if (found.schema && found.schema != database.describedSchema()) {
                database.setDescribedSchema(*found.schema);
                continue;
            }
            if (found.settle()) {
                if (!found.captions.isEmpty())
                    lookup.levelCaption = found.captions.constLast();
                return lookup;
            }
            if (!database.numbersRowsInOrder())
                return std::nullopt;
            lookup.rows = numberedRows(database, columns->name, wanted.textView());
            if (!lookup.rows)
                return std::nullopt;
            Recordset &inOrder = *lookup.rows;
            const Matches all = readMatches(
                inOrder, wanted,
                {inOrder.fieldIndex(nameColumnName), inOrder.fieldIndex(levelColumnName), -1});
            if (!all.captions.isEmpty())
                lookup.levelCaption = all.captions.constLast();
            return lookup;
        }
    } catch (const Error &error) {
        if (error.number() == TimedOut || error.number() == OperationCancelled)
            throw;
    }
    return std::nullopt;
}

// Every row of the row set, as the start-up reads them.
Lookup fullLookup(Database &database, const FieldValue &wanted)
{
    // A connection that still describes the row set as it was must see a
    // change first.
    database.refreshDescription(LithRow.rowSet);
    Lookup lookup{database.openRecordset(LithRow.rowSet), std::nullopt};
    forEachMatch(*lookup.rows, wanted,
                 [&](const QString &caption) { lookup.levelCaption = caption; });
    return lookup;
}

} // namespace

NodeDetails lithologyDetails(Database &database, std::shared_ptr<Recordset> &rows,
                             const SelectedNode &term)
{
    NodeDetails details;
    try {
        const FieldValue wanted = trim(term.text);
        std::optional<Lookup> lookup = narrowedLookup(database, wanted);
        if (!lookup)
            lookup = fullLookup(database, wanted);
        rows = std::move(lookup->rows);
        details.description = firstDescriptionLine(term);
        // No row of the term's name: no level is shown, rather than another
        // term's.
        details.levelCaption = lookup->levelCaption.value_or(QString());
    } catch (const Error &error) {
        details.error = error;
    }
    return details;
}

} // namespace kestrelon
