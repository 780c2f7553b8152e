#include "Database.h"

#include "Catalogue.h"
#include "Error.h"
#include "Recordset.h"

#include <sqlext.h>

namespace kestrelon {

Database::Database(std::shared_ptr<Engine> engine, std::unique_ptr<odbc::Handle> connection,
                   QString dataSourceName, QString secret)
    : engine_(std::move(engine)), connection_(std::move(connection)),
      name_(std::move(dataSourceName)), secret_(std::move(secret))
{
}

std::shared_ptr<Recordset> Database::openRecordset(const QString &rowSetName, CursorType type)
{
    return std::make_shared<Recordset>(
        shared_from_this(), QStringLiteral("SELECT * FROM ") + sqlName(rowSetName), type);
}

std::shared_ptr<Recordset> Database::openRecordset(const QString &rowSetName,
                                                   const QStringList &columns, CursorType type)
{
    return std::make_shared<Recordset>(
        shared_from_this(),
        QStringLiteral("SELECT %1 FROM %2")
            .arg(columns.join(QStringLiteral(", ")), sqlName(rowSetName)),
        type);
}

bool Database::hasRowSet(const QString &rowSetName)
{
    return !resolve(rowSetName).isEmpty();
}

QString Database::sqlName(const QString &rowSetName)
{
    try {
        const QString resolved = resolve(rowSetName);
        if (!resolved.isEmpty())
            return resolved;
    } catch (const Error &) {
        // Running the query tells what is wrong with the connection.
    }
    return rowSetName;
}

QString Database::resolve(const QString &rowSetName)
{
    const auto known = resolved_.constFind(rowSetName);
    if (known != resolved_.constEnd())
        return known.value();
    for (const QString &spelling : catalogue::spellingsOf(handle(), rowSetName, secret_)) {
        const QString quoted = catalogue::quotedIdentifier(handle(), spelling);
        if (catalogue::canSelectFrom(handle(), quoted)) {
            resolved_.insert(rowSetName, quoted);
            return quoted;
        }
    }
    return {};
}

} // namespace kestrelon
