#include "HierarchyRow.h"

#include "Recordset.h"

namespace kestrelon {

const RowLayout LithRow{
    QStringLiteral("QryLithParent"), QStringLiteral("Lithology"),   QStringLiteral("Parent"),
    QStringLiteral("Lith_level"),    QStringLiteral("lith_id"),     QStringLiteral("parent_id"),
    QStringLiteral("parent_level"),  QStringLiteral("description"),
};

const RowLayout StratRow{
    QStringLiteral("QryStratParent"), QStringLiteral("strat_name"), QStringLiteral("Parent"),
    QStringLiteral("strat_level"),    QStringLiteral("strat_id"),   QStringLiteral("parent_id"),
    QStringLiteral("parent_level"),   QStringLiteral("strat_rank"),
};

HierarchyRowReader::HierarchyRowReader(const Recordset &rows, const RowLayout &layout)
    : positions_{rows.fieldIndex(layout.name),     rows.fieldIndex(layout.parent),
                 rows.fieldIndex(layout.level),    rows.fieldIndex(layout.id),
                 rows.fieldIndex(layout.parentId), rows.fieldIndex(layout.parentLevel),
                 rows.fieldIndex(layout.tag)}
{
}

HierarchyRow HierarchyRowReader::read(Recordset &rows) const
{
    HierarchyRow row;
    row.name = rows.value(positions_[0]);
    row.parent = rows.value(positions_[1]);
    row.level = rows.value(positions_[2]);
    row.id = rows.value(positions_[3]);
    row.parentId = rows.value(positions_[4]);
    row.parentLevel = rows.value(positions_[5]);
    row.tag = rows.value(positions_[6]);
    return row;
}

} // namespace kestrelon
