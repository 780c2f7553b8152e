#include "StratigraphyDetails.h"

#include "DetailsOutput.h"

#include "data/HierarchyRow.h"
#include "data/Recordset.h"
#include "data/SourceState.h"

namespace kestrelon {

namespace {

const QString lineBreak = QStringLiteral("\r\n");

QString ageLines(const FieldValue &minimum, const FieldValue &maximum)
{
    return lineBreak + QStringLiteral("Minimum Age (mya): ") + minimum.toText() + lineBreak +
           QStringLiteral("Maximum Age (mya): ") + maximum.toText();
}

} // namespace

void listStratigraphy(SourceState &source, const TreeModel &tree, TreeModel::Node selected,
                      DetailsOutput &output)
{
    const FieldValue text = FieldValue::text(tree.text(selected));
    const FieldValue tag = tree.tag(selected);
    output.setDescription(
        concat(concat(text, FieldValue::text(QStringLiteral(": "))), tag).toText());

    if (!source.StratRows)
        return;
    Recordset &rows = *source.StratRows;
    rows.moveFirst();
    int columns[3] = {-1, -1, -1};
    while (!rows.eof()) {
        if (columns[0] < 0) {
            columns[0] = rows.fieldIndex(QStringLiteral("min_age"));
            columns[1] = rows.fieldIndex(QStringLiteral("max_age"));
            columns[2] = rows.fieldIndex(StratRow.name);
        }
        const FieldValue minimum = rows.value(columns[0]);
        const FieldValue maximum = rows.value(columns[1]);
        const FieldValue name = rows.value(columns[2]);
        if (equals(name, text))
            output.setDescription(output.description() + ageLines(minimum, maximum));
        rows.moveNext();
    }
}

} // namespace kestrelon
