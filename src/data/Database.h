#pragma once

#include "Interruption.h"
#include "OdbcHandle.h"

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
    // standing on its first row, or at its end when there is none. The name
    // is sent unquoted, so servers that fold identifiers to one case find it.
    std::shared_ptr<Recordset> openRecordset(const QString &rowSetName,
                                             CursorType type = CursorType::ForwardOnly);
    // The same rows with only the named columns, in that order; the names
    // are sent unquoted too.
    std::shared_ptr<Recordset> openRecordset(const QString &rowSetName, const QStringList &columns,
                                             CursorType type = CursorType::ForwardOnly);

    // Whether the data source's catalogue lists a table or view of this name,
    // compared without regard to case.
    bool hasRowSet(const QString &rowSetName);

    // Text that no error of this connection may show (the password).
    const QString &secret() const { return secret_; }

    // Stops the statement this connection runs, from any thread.
    Interruption &interruption() { return interruption_; }

private:
    std::shared_ptr<Engine> engine_;
    std::unique_ptr<odbc::Handle> connection_;
    QString name_;
    QString secret_;
    Interruption interruption_;
};

} // namespace kestrelon
