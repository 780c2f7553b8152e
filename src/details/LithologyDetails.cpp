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

} // namespace

NodeDetails lithologyDetails(Database &database, std::shared_ptr<Recordset> &rows,
                             const SelectedNode &term)
{
    NodeDetails details;
    try {
        database.refreshDescription(LithRow.rowSet);
        // The whole row set, as the start-up reads it: a query for fewer
        // columns may be answered from an index, in another order.
        rows = database.openRecordset(LithRow.rowSet);
        details.description = firstDescriptionLine(term);

        const FieldValue wanted = trim(term.text);
        int nameColumn = -1;
        int levelColumn = -1;
        for (Recordset &cursor = *rows; !cursor.eof(); cursor.moveNext()) {
            if (nameColumn < 0)
                nameColumn = cursor.fieldIndex(nameColumnName);
            if (!matches(cursor.value(nameColumn), wanted))
                continue;
            if (levelColumn < 0)
                levelColumn = cursor.fieldIndex(levelColumnName);
            details.levelCaption =
                concat(FieldValue::text(QStringLiteral("Level: ")), cursor.value(levelColumn))
                    .toText();
        }
    } catch (const Error &error) {
        details.error = error;
    }
    return details;
}

} // namespace kestrelon
