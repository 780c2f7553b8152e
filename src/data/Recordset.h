#pragma once

#include "Database.h"
#include "FieldValue.h"
#include "OdbcHandle.h"

#include <QHash>
#include <QString>
#include <memory>
#include <sql.h>
#include <vector>

namespace kestrelon {

// A row cursor over the result of one query. It stands on one row at a time;
// fields of that row are read by position, positions are found by column
// name without regard to case.
class Recordset
{
public:
    Recordset(std::shared_ptr<Database> database, QString statement, CursorType type);

    // True once the cursor has moved past its last row, and at once for an
    // empty result.
    bool eof() const { return eof_; }
    void moveNext();
    // Makes the first row current again: by scrolling where the driver can,
    // otherwise by running the query again.
    void moveFirst();

    int fieldCount() const { return int(columns_.size()); }
    QString fieldName(int index) const { return columns_.at(size_t(index)).name; }
    // The position of the named column; raises ColumnNotFound when there is none.
    int fieldIndex(const QString &name) const;
    // The value of a column of the current row.
    FieldValue value(int index);
    FieldValue field(const QString &name) { return value(fieldIndex(name)); }

private:
    enum class ColumnKind { Whole, Fractional, Text };
    struct Column
    {
        QString name;
        ColumnKind kind;
    };

    void execute();
    void describeColumns();
    void fetch(SQLSMALLINT orientation);
    FieldValue readCell(int index);
    FieldValue readText(SQLUSMALLINT column);
    [[noreturn]] void fail(const QString &context) const;

    std::shared_ptr<Database> database_;
    odbc::Handle statement_;
    QString sql_;
    bool scrollable_ = false;
    bool anyOrder_ = false;
    bool eof_ = true;
    std::vector<Column> columns_;
    QHash<QString, int> positions_;
    // Values of the current row read so far: ODBC hands a column over only once.
    std::vector<FieldValue> row_;
    std::vector<bool> loaded_;
    int nextUnread_ = 0;
    std::vector<SQLWCHAR> textBuffer_;
};

} // namespace kestrelon
