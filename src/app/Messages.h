// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

namespace kestrelon {

class BuildReport;
class Error;

// The text itself when it has at most `longest` characters; otherwise its
// start and its end (where a key keeps its id) around an ellipsis, `longest`
// characters in all.
QString elidedInTheMiddle(QStringView text, qsizetype longest);

// The message shown when the data source cannot be opened, two lines joined
// by CR LF.
QString connectionFailureMessage();

// An error that ended an operation: its number and description. For a
// data source that did not answer in time, it says so first.
QString errorReportMessage(const Error &error);

// The rows the builders left out: how many, and the first of them with
// name, id, parent and reason, each on one line of bounded length (long
// texts lose their middle). Empty when every row became a node.
QString skippedRowsMessage(const QList<BuildReport> &reports);

} // namespace kestrelon
