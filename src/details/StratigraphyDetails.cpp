// SPDX-License-Identifier: GPL-3.0-or-later
#include "StratigraphyDetails.h"

#include "data/HierarchyRow.h"
#include "data/Recordset.h"

namespace kestrelon {

namespace {

const QString lineBreak = QStringLiteral("\r\n");

void appendAgeLines(QString &text, const FieldValue &minimum, const FieldValue &maximum)
{
    text += lineBreak + QStringLiteral("Minimum Age (mya): ") + minimum.toText() + lineBreak +
            QStringLiteral("Maximum Age (mya): ") + maximum.toText();
}

} // namespace

NodeDetails stratigraphyDetails(Recordset *rows, const SelectedNode &unit)
{
    // The text grows here and is written once: a unit with many rows of its
    // name costs one pass, not one rewrite of the box per row.
    QString text = firstDescriptionLine(unit);
    NodeDetails details;
    try {
        if (rows) {
            rows->moveFirst();
            int columns[3] = {-1, -1, -1};
            for (; !rows->eof(); rows->moveNext()) {
                if (columns[0] < 0) {
                    columns[0] = rows->fieldIndex(QStringLiteral("min_age"));
                    columns[1] = rows->fieldIndex(QStringLiteral("max_age"));
                    columns[2] = rows->fieldIndex(StratRow.name);
                }
                const FieldValue minimum = rows->value(columns[0]);
                const FieldValue maximum = rows->value(columns[1]);
                if (equals(rows->value(columns[2]), unit.text))
                    appendAgeLines(text, minimum, maximum);
            }
        }
    } catch (const Error &error) {
        details.error = error;
        return details;
    }
    details.description = std::move(text);
    // A unit has no level: the label shows none, rather than a term's.
    details.levelCaption = QString();
    return details;
}

} // namespace kestrelon
