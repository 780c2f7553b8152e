#include "LithologyDetails.h"

#include "DetailsOutput.h"

#include "data/Database.h"
#include "data/Error.h"
#include "data/HierarchyRow.h"
#include "data/Recordset.h"
#include "data/SourceState.h"

namespace kestrelon {

namespace {

// The columns the builder reads as "Lithology" and "Lith_level"; names
// match whatever their case.
const QString nameColumnName = QStringLiteral("lithology");
const QString levelColumnName = QStringLiteral("lith_level");

// The lookup reads two columns only, so it asks for those two; a row set
// that will not give them by these names is read whole, as before, and
// fails, if it must, where reading it whole fails. A data source that did
// not answer in time is not asked a second time.
std::shared_ptr<Recordset> openForLookup(Database &database)
{
    try {
        return database.openRecordset(LithRow.rowSet, {nameColumnName, levelColumnName});
    } catch (const Error &error) {
        if (error.number() == TimedOut)
            throw;
        return database.openRecordset(LithRow.rowSet);
    }
}

// Whether a row's name, spaces trimmed, equals the wanted (trimmed) text.
// Text against text compares the characters in place; other kinds take the
// general rules.
bool matches(const FieldValue &name, const FieldValue &wanted)
{
    if (name.kind() == FieldValue::Kind::Text && wanted.kind() == FieldValue::Kind::Text)
        return trimSpaces(name.textView()) == wanted.textView();
    return equals(trim(name), wanted);
}

} // namespace

void listLithology(SourceState &source, const TreeModel &tree, TreeModel::Node selected,
                   DetailsOutput &output)
{
    if (!source.SourceDatabase)
        throw Error(OdbcCallFailed, QStringLiteral("The data source is not open"));
    source.LithRows = openForLookup(*source.SourceDatabase);
    Recordset &rows = *source.LithRows;

    const FieldValue text = FieldValue::text(tree.text(selected));
    const FieldValue tag = tree.tag(selected);
    output.setDescription(
        concat(concat(text, FieldValue::text(QStringLiteral(": "))), tag).toText());

    const FieldValue wanted = trim(text);
    int nameColumn = -1;
    int levelColumn = -1;
    while (!rows.eof()) {
        if (nameColumn < 0)
            nameColumn = rows.fieldIndex(nameColumnName);
        if (matches(rows.value(nameColumn), wanted)) {
            if (levelColumn < 0)
                levelColumn = rows.fieldIndex(levelColumnName);
            output.setLevelCaption(
                concat(FieldValue::text(QStringLiteral("Level: ")), rows.value(levelColumn))
                    .toText());
        }
        rows.moveNext();
    }
}

} // namespace kestrelon
