#pragma once

#include <QList>
#include <QString>

namespace kestrelon {

class BuildReport;
class Error;

// The message shown when the data source cannot be opened, two lines joined
// by CR LF.
QString connectionFailureMessage();

// An error that ended an operation: its number and description. For a
// data source that did not answer in time, it says so first.
QString errorReportMessage(const Error &error);

// The rows the builders left out: how many, and the first of them with
// name, id, parent and reason. Empty when every row became a node.
QString skippedRowsMessage(const QList<BuildReport> &reports);

} // namespace kestrelon
