// SPDX-License-Identifier: GPL-3.0-or-later
// Recordset's reading in batches: the query runs as a cursor of the
// server's own inside a read-only transaction, and each batch of its rows
// is fetched once the driver has handed over the one before. The driver,
// which takes in each result whole, then holds one batch at a time.
#include "Recordset.h"

#include "OdbcText.h"

namespace kestrelon {

namespace {

QString fetchText(const QString &cursorName)
{
    return QStringLiteral("FETCH FORWARD %1 FROM %2").arg(Database::batchRows).arg(cursorName);
}

} // namespace

// A transaction an earlier read left open ends with this statement: in the
// same message where the driver allows it, which spares a round trip.
QString Recordset::statementText()
{
    inBatches_ = batchesAsked_;
    const bool pending = database_->inTransaction();
    if (!inBatches_) {
        if (!pending)
            return sql_;
        // The query's rows stay the first result the driver hands over.
        if (parameters_.isEmpty())
            return sql_ + QStringLiteral("; COMMIT");
        endTransaction();
        return sql_;
    }
    leavesTransactionOpen_ = database_->takeLeaveTransactionOpen();
    cursorName_ = database_->newCursorName();
    // The server plans a cursor for its first rows, unless told that all
    // are wanted: then it plans the query as it plans it on its own, and
    // the rows come in the order that the program's other queries of the
    // row set see.
    return QStringLiteral("%1BEGIN READ ONLY; SET LOCAL cursor_tuple_fraction = 1; "
                          "DECLARE %2 NO SCROLL CURSOR FOR %3; %4")
        .arg(pending ? QStringLiteral("COMMIT; ") : QString(), cursorName_, sql_,
             fetchText(cursorName_));
}

// The driver holds the results of every statement sent: the rows are the
// first that has columns. Moving there asks nothing of the server.
void Recordset::enterFirstBatch()
{
    for (;;) {
        SQLSMALLINT columns = 0;
        if (!SQL_SUCCEEDED(SQLNumResultCols(statement_.get(), &columns)))
            failEndingTransaction(QStringLiteral("Cannot run \"%1\"").arg(sql_));
        if (columns > 0)
            break;
        if (!SQL_SUCCEEDED(SQLMoreResults(statement_.get())))
            failEndingTransaction(QStringLiteral("Cannot run \"%1\"").arg(sql_));
    }
    batchRowCount_ = 0;
    SQLRowCount(statement_.get(), &batchRowCount_);
}

bool Recordset::nextBatch()
{
    if (!inBatches_ || batchRowCount_ < SQLLEN(Database::batchRows))
        return false;
    SQLFreeStmt(statement_.get(), SQL_CLOSE);
    open_ = false;
    auto wide = odbc::toWide(fetchText(cursorName_));
    SQLRETURN rc = SQL_ERROR;
    {
        const Interruption::Call call = database_->interruptible(statement_.get());
        rc = watched([&] { return SQLExecDirectW(statement_.get(), wide.data(), SQL_NTS); });
    }
    if (!SQL_SUCCEEDED(rc)) {
        eof_ = true;
        inBatches_ = false;
        failEndingTransaction(QStringLiteral("Cannot read the next row of \"%1\"").arg(sql_));
    }
    open_ = true;
    batchRowCount_ = 0;
    SQLRowCount(statement_.get(), &batchRowCount_);
    return true;
}

// Only reads ran in the transaction: a commit ends it as a rollback would,
// and ends one that failed too. A lost connection took its transaction
// along; a statement of an older connection has none.
void Recordset::endTransaction()
{
    if (!database_->inTransaction() || connection_ != database_->connection())
        return;
    database_->setInTransaction(false);
    const bool cutOff = cutOff_;
    SQLFreeStmt(statement_.get(), SQL_CLOSE);
    open_ = false;
    auto wide = odbc::toWide(QStringLiteral("COMMIT"));
    watched([&] { return SQLExecDirectW(statement_.get(), wide.data(), SQL_NTS); });
    SQLFreeStmt(statement_.get(), SQL_CLOSE);
    cutOff_ = cutOff;
}

void Recordset::failEndingTransaction(const QString &context)
{
    const Error error = failure(context);
    // A statement that failed may have left a transaction open, or begun
    // one, whatever the driver did about it.
    if (batchesAsked_)
        database_->setInTransaction(true);
    inBatches_ = false;
    endTransaction();
    throw error;
}

} // namespace kestrelon
