#pragma once

#include "OdbcHandle.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>

namespace kestrelon {

class Engine;
class Recordset;

// How a row cursor may move: forward only, or also back to its first row.
enum class CursorType { ForwardOnly, Rewindable };

// An open connection to one ODBC data source.
class Database : public std::enable_shared_from_this<Database>
{
public:
    Database(std::shared_ptr<Engine> engine, std::unique_ptr<odbc::Handle> connection,
             QString dataSourceName, QString secret);

    const QString &name() const { return name_; }
    SQLHDBC handle() const { return connection_->get(); }

    // A cursor over every row and column of the named query, view or table,
    // standing on its first row, or at its end when there is none. The row
    // set is found as hasRowSet() finds it and sent as the catalogue spells
    // it, quoted; a name the catalogue does not list is sent as given.
    std::shared_ptr<Recordset> openRecordset(const QString &rowSetName,
                                             CursorType type = CursorType::ForwardOnly);
    // The same rows with only the named columns, in that order; the column
    // names are sent unquoted.
    std::shared_ptr<Recordset> openRecordset(const QString &rowSetName, const QStringList &columns,
                                             CursorType type = CursorType::ForwardOnly);

    // Whether the data source's catalogue lists a table or view of this name
    // that this login can read. Names compare without regard to case; the
    // exact spelling is preferred, then the others in the catalogue's order.
    bool hasRowSet(const QString &rowSetName);

    // Text that no error of this connection may show (the password).
    const QString &secret() const { return secret_; }

private:
    // The row set's name as a query sends it; the name as given when the
    // catalogue cannot say.
    QString sqlName(const QString &rowSetName);
    // The quoted catalogue spelling of the first readable row set of this
    // name, remembered for the connection; empty when there is none.
    QString resolve(const QString &rowSetName);

    std::shared_ptr<Engine> engine_;
    std::unique_ptr<odbc::Handle> connection_;
    QString name_;
    QString secret_;
    QHash<QString, QString> resolved_;
};

} // namespace kestrelon
