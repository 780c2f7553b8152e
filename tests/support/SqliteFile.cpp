// SPDX-License-Identifier: GPL-3.0-or-later
#include "SqliteFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>

namespace testsupport::sqlite {

namespace {

// The files this process made, with the bytes each must keep. Checked again
// when the process ends, before its work directory goes.
class MadeFiles
{
public:
    static MadeFiles &instance()
    {
        static MadeFiles files;
        return files;
    }
    ~MadeFiles()
    {
        for (auto it = checksums_.cbegin(); it != checksums_.cend(); ++it)
            expectUnchanged(it.key());
    }

    void note(const QString &file) { checksums_.insert(file, checksum(file)); }

    void expectUnchanged(const QString &file) const
    {
        const auto made = checksums_.constFind(file);
        if (made == checksums_.cend() || !QFile::exists(file) || checksum(file) == made.value())
            return;
        std::fprintf(stderr, "FAIL: %s was written to after the test made it\n", qPrintable(file));
        std::_Exit(1);
    }

private:
    QHash<QString, QByteArray> checksums_;
};

void execute(const QString &file, const QString &script, int openFlags)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, openFlags, nullptr) != SQLITE_OK)
        qFatal("cannot open %s", qPrintable(file));
    sqlite3_busy_timeout(db, 5000);
    char *error = nullptr;
    if (sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK)
        qFatal("cannot change %s: %s", qPrintable(file), error);
    sqlite3_close(db);
}

QString script(const QStringList &statements)
{
    return statements.join(QStringLiteral(";\n")) + u';';
}

} // namespace

void create(const QString &file, const QStringList &statements)
{
    MadeFiles::instance().expectUnchanged(file);
    QFile::remove(file);
    // Test files need no durability: skip the syncing that makes inserts slow.
    execute(file,
            QStringLiteral("PRAGMA synchronous = OFF;\nPRAGMA journal_mode = MEMORY;\n") +
                script(statements),
            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    MadeFiles::instance().note(file);
}

void change(const QString &file, const QStringList &statements)
{
    MadeFiles::instance().expectUnchanged(file);
    execute(file, script(statements), SQLITE_OPEN_READWRITE);
    MadeFiles::instance().note(file);
}

QStringList demoScript(const QString &name)
{
    QFile file(QStringLiteral(KESTRELON_SOURCE_DIR "/demo/sql/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    return {QString::fromUtf8(file.readAll())};
}

QString literal(const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return value.toString();
    default: {
        QString text = value.toString();
        text.replace(u'\'', QStringLiteral("''"));
        return u'\'' + text + u'\'';
    }
    }
}

QStringList rowSet(const QString &view, const QStringList &columns, const QList<QVariantList> &rows)
{
    const QString table = view + QStringLiteral("_rows");
    QStringList statements{
        QStringLiteral("CREATE TABLE %1 (%2)").arg(table, columns.join(QStringLiteral(", "))),
        QStringLiteral("CREATE VIEW %1 AS SELECT * FROM %2 ORDER BY rowid").arg(view, table)};
    for (const QVariantList &row : rows) {
        QStringList values;
        for (const QVariant &value : row)
            values << literal(value);
        statements << QStringLiteral("INSERT INTO %1 VALUES (%2)")
                          .arg(table, values.join(QStringLiteral(", ")));
    }
    return statements;
}

QStringList lithologyColumns()
{
    return {QStringLiteral("Lithology TEXT"),     QStringLiteral("Parent TEXT"),
            QStringLiteral("Lith_level INTEGER"), QStringLiteral("lith_id INTEGER"),
            QStringLiteral("parent_id INTEGER"),  QStringLiteral("parent_level INTEGER"),
            QStringLiteral("description TEXT")};
}

QStringList stratigraphyColumns()
{
    return {QStringLiteral("strat_name TEXT"),     QStringLiteral("Parent TEXT"),
            QStringLiteral("strat_level INTEGER"), QStringLiteral("strat_id INTEGER"),
            QStringLiteral("parent_id INTEGER"),   QStringLiteral("parent_level INTEGER"),
            QStringLiteral("strat_rank TEXT"),     QStringLiteral("min_age REAL"),
            QStringLiteral("max_age REAL")};
}

QByteArray checksum(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
}

} // namespace testsupport::sqlite
