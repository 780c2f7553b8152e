// SPDX-License-Identifier: GPL-3.0-or-later
#include "Messages.h"

#include "data/Database.h"
#include "data/Error.h"
#include "tree/BuildReport.h"

namespace kestrelon {

namespace {

// Longest name, id or key a listed row shows, and longest reason: enough to
// tell rows apart, short enough that ten of them fit on a screen.
constexpr qsizetype longestField = 80;
constexpr qsizetype longestReason = 160;

// The text on one line: line breaks and other control characters become
// spaces, so a name cannot stretch the message downwards.
QString onOneLine(QStringView text)
{
    QString line = text.toString();
    for (QChar &c : line) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            c = u' ';
    }
    return line;
}

// A field of a listed row, on one line and at most `longest` characters.
QString shownField(QStringView text, qsizetype longest = longestField)
{
    return onOneLine(elidedInTheMiddle(text, longest));
}

// Why a row was left out. The reason often quotes the row's own key, its
// name and id, or its parent's key: a long name is not printed a second
// time, and every quoted key is as short as the fields before it.
QString shownReason(const SkippedRow &row)
{
    QString reason = row.reason;
    const QString ownKey = row.name + row.id;
    if (row.name.size() > longestField)
        reason.replace(ownKey, QChar(0x2026) + shownField(row.id));
    if (row.parentKey.size() > longestField)
        reason.replace(row.parentKey, shownField(row.parentKey));
    return shownField(reason, longestReason);
}

QString listedRow(const SkippedRow &row)
{
    return QStringLiteral("- \"%1\" (id %2, parent key \"%3\"): %4")
        .arg(shownField(row.name), shownField(row.id), shownField(row.parentKey), shownReason(row));
}

} // namespace

QString elidedInTheMiddle(QStringView text, qsizetype longest)
{
    if (text.size() <= longest)
        return text.toString();
    qsizetype tail = longest / 4;
    qsizetype head = longest - tail - 1;
    // Never half a character outside the Basic Multilingual Plane.
    if (text.at(head - 1).isHighSurrogate())
        --head;
    if (text.at(text.size() - tail).isLowSurrogate())
        --tail;
    QString elided;
    elided.reserve(head + 1 + tail);
    elided.append(text.left(head)).append(QChar(0x2026)).append(text.right(tail));
    return elided;
}

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
        lines << QStringLiteral("%1 of \"%2\" could not be shown:")
                     .arg(rows, shownField(report.hierarchy()));
        for (const SkippedRow &row : report.firstSkipped())
            lines << listedRow(row);
        const int unlisted = count - int(report.firstSkipped().size());
        if (unlisted > 0)
            lines << QStringLiteral("... and %1 more.").arg(unlisted);
        parts << lines.join(u'\n');
    }
    return parts.join(QStringLiteral("\n\n"));
}

} // namespace kestrelon
