#pragma once

#include "OdbcHandle.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace kestrelon {

class Recordset;
class Workspace;

// How a row cursor may move: forward only, or also back to its first row.
enum class CursorType { ForwardOnly, Rewindable };

// An open connection to one ODBC data source. When the connection is lost
// (the server restarted, or ended the session), the next statement that
// notices it connects again once, through the same workspace.
class Database : public std::enable_shared_from_this<Database>
{
public:
    Database(std::shared_ptr<Workspace> workspace, std::shared_ptr<odbc::Handle> connection,
             QString dataSourceName, QString secret);

    // How long one statement may wait for the data source, in seconds.
    static constexpr int queryTimeoutSeconds = 30;

    const QString &name() const { return name_; }
    SQLHDBC handle() const { return connection_->get(); }
    // The current connection. A statement holds the connection it was made
    // on, which stays open as long as the statement does.
    std::shared_ptr<odbc::Handle> connection() const { return connection_; }

    // A new statement on `connection`, limited to queryTimeoutSeconds.
    SQLHSTMT allocateStatement(const odbc::Handle &connection) const;
    // Connects again, unless `lost` has already been replaced; raises the
    // connection's error when the data source cannot be reached.
    void replaceLost(const odbc::Handle &lost);

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

private:
    std::shared_ptr<Workspace> workspace_;
    std::shared_ptr<odbc::Handle> connection_;
    QString name_;
    QString secret_;
};

} // namespace kestrelon
