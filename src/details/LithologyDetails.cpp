// SPDX-License-Identifier: GPL-3.0-or-later
#include "LithologyDetails.h"

#include "data/Database.h"
#include "data/HierarchyRow.h"
#include "data/Recordset.h"

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
        found(concat(FieldValue::text(QStringLiteral("Level: ")), cursor.value(levelColumn))
                  .toText());
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
    return Narrowing{
        QStringLiteral("(instr(%1, %2) > 0 OR typeof(%1) NOT IN ('text', 'integer', 'null'))")
            .arg(nameColumn, *text),
        {}};
}

// The rows a narrowing query found, when they settle the answer.
struct NarrowedLookup
{
    std::shared_ptr<Recordset> rows;
    std::optional<QString> levelCaption;
};

// The level read from only the rows that may match, when that gives the
// full read's answer: no matching row, or matching rows that all show the
// same level, so that their order does not matter. Nothing when the order
// matters, the source cannot be narrowed, or the narrowing query fails.
// Both queries must read a cell alike: where the driver types columns by
// a query's own rows, the level 2.0 may read as the number 2 from one and
// as the text "2.0" from the other.
std::optional<NarrowedLookup> narrowedLookup(Database &database, const QStringList &columns,
                                             const FieldValue &wanted)
{
    if (wanted.kind() != FieldValue::Kind::Text || wanted.textView().isEmpty() ||
        !database.describesColumnsAsDeclared())
        return std::nullopt;
    const auto name = std::find_if(columns.cbegin(), columns.cend(), [](const QString &column) {
        return column.compare(nameColumnName, Qt::CaseInsensitive) == 0;
    });
    if (name == columns.cend())
        return std::nullopt;
    try {
        NarrowedLookup lookup;
        const QString column = database.quotedIdentifier(*name);
        // Any order will do; one of its own also keeps the planner from
        // working for the row set's order (SQLite then scans a view's table
        // through an index).
        const std::optional<Narrowing> narrowed = narrowing(database, column, wanted.textView());
        if (!narrowed)
            return std::nullopt;
        lookup.rows = database.openRecordsetWhere(LithRow.rowSet, narrowed->condition,
                                                  narrowed->parameters, column);
        Recordset &cursor = *lookup.rows;
        // The text form of a number, a date or bytes in the database may not
        // be the one the program reads.
        if (!cursor.holdsCharacters(cursor.fieldIndex(nameColumnName)))
            return std::nullopt;
        bool settled = true;
        forEachMatch(cursor, wanted, [&](const QString &caption) {
            settled = settled && (!lookup.levelCaption || *lookup.levelCaption == caption);
            lookup.levelCaption = caption;
        });
        if (!settled)
            return std::nullopt;
        return lookup;
    } catch (const Error &error) {
        if (error.number() == TimedOut || error.number() == OperationCancelled)
            throw;
        return std::nullopt;
    }
}

} // namespace

NodeDetails lithologyDetails(Database &database, std::shared_ptr<Recordset> &rows,
                             const SelectedNode &term)
{
    NodeDetails details;
    try {
        const QStringList columns = database.refreshDescription(LithRow.rowSet);
        const FieldValue wanted = trim(term.text);
        std::optional<QString> level;
        if (std::optional<NarrowedLookup> narrowed = narrowedLookup(database, columns, wanted)) {
            rows = std::move(narrowed->rows);
            level = std::move(narrowed->levelCaption);
        } else {
            // The whole row set, as the start-up reads it: a query for fewer
            // columns may be answered from an index, in another order.
            rows = database.openRecordset(LithRow.rowSet);
            forEachMatch(*rows, wanted, [&](const QString &caption) { level = caption; });
        }
        details.description = firstDescriptionLine(term);
        // No row of the term's name: no level is shown, rather than another
        // term's.
        details.levelCaption = level.value_or(QString());
    } catch (const Error &error) {
        details.error = error;
    }
    return details;
}

} // namespace kestrelon
