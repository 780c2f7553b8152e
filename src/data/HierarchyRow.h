// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FieldValue.h"
#include "RowCell.h"

#include <QString>

namespace kestrelon {

class Recordset;
class RowParcel;

// A row set that places terms in a hierarchy: its name, and the names of the
// seven columns each row holds for that.
struct RowLayout
{
    QString rowSet;
    QString name;
    QString parent;
    QString level;
    QString id;
    QString parentId;
    QString parentLevel;
    QString tag; // what the term's node keeps to show on "Define"
};

// "QryLithParent": each row a lithology term and the term it belongs to.
extern const RowLayout LithRow;
// "QryStratParent": each row a unit of the time scale and the unit it belongs
// to, with its age range in "min_age" and "max_age".
extern const RowLayout StratRow;

// The seven cells of one such row.
struct HierarchyRow
{
    RowCell name;
    RowCell parent;
    RowCell level;
    RowCell id;
    RowCell parentId;
    RowCell parentLevel;
    RowCell tag;
};

// Reads rows of one layout from a cursor, the columns found once.
class HierarchyRowReader
{
public:
    // Raises ColumnNotFound when the cursor lacks one of the columns.
    HierarchyRowReader(const Recordset &rows, const RowLayout &layout);
    // All seven fields of the current row, always in the order above.
    HierarchyRow read(Recordset &rows) const;
    // The same fields added to a parcel, as bytes where the cursor can.
    void readInto(Recordset &rows, RowParcel &parcel) const;

private:
    int positions_[7];
};

} // namespace kestrelon
