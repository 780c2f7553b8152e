// SPDX-License-Identifier: GPL-3.0-or-later
#include "HierarchyRow.h"

#include "Recordset.h"
#include "RowParcel.h"

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
    // A braced list is evaluated left to right: the fields are read in order.
    return HierarchyRow{rows.value(positions_[0]), rows.value(positions_[1]),
                        rows.value(positions_[2]), rows.value(positions_[3]),
                        rows.value(positions_[4]), rows.value(positions_[5]),
                        rows.value(positions_[6])};
}

void HierarchyRowReader::readInto(Recordset &rows, RowParcel &parcel) const
{
    for (const int position : positions_) {
        if (const auto raw = rows.rawCell(position))
            parcel.add(*raw);
        else
            parcel.add(rows.value(position));
    }
}

} // namespace kestrelon
