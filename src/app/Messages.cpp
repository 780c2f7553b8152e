#include "Messages.h"

#include "data/Database.h"
#include "data/Error.h"
#include "tree/BuildReport.h"

namespace kestrelon {

QString connectionFailureMessage()
{
    return QStringLiteral("Cannot find ODBC source.") + QStringLiteral("\r\n") +
           QStringLiteral("Please make sure you have an ODBC Datasource named 'ds_hier'");
}

QString errorReportMessage(const Error &error)
{
    if (error.number() == TimedOut)
        return QStringLiteral("The data source 'ds_hier' did not answer in time: nothing came back "
                              "within %1 seconds. Please try again later.\n\n%2")
            .arg(Database::queryTimeoutSeconds)
            .arg(error.description());
    return QStringLiteral("Run-time error '%1':\n\n%2")
        .arg(error.number())
        .arg(error.description());
}

QString skippedRowsMessage(const QList<BuildReport> &reports)
{
    QStringList parts;
    for (const BuildReport &report : reports) {
        if (report.skippedCount() == 0)
            continue;
        const int count = report.skippedCount();
        const QString rows =
            count == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(count);
        QStringList lines;
        lines << QStringLiteral("%1 of \"%2\" could not be shown:").arg(rows, report.hierarchy());
        for (const SkippedRow &row : report.firstSkipped())
            lines << QStringLiteral("- \"%1\" (id %2, parent key \"%3\"): %4")
                         .arg(row.name, row.id, row.parentKey, row.reason);
        const int unlisted = count - int(report.firstSkipped().size());
        if (unlisted > 0)
            lines << QStringLiteral("... and %1 more.").arg(unlisted);
        parts << lines.join(u'\n');
    }
    return parts.join(QStringLiteral("\n\n"));
}

} // namespace kestrelon
