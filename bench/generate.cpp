// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a synthetic lithology scheme of a given size, either into a new
// SQLite database (after the schema script it is given) or as a PostgreSQL
// COPY block on standard output.
//
//   kestrelon-bench-generate ROWS sqlite FILE SCHEMA.sql [ascending|descending]
//   kestrelon-bench-generate ROWS copy
//   kestrelon-bench-generate ROWS family    (size, key and name of the large family)
//   kestrelon-bench-generate ROWS shared    (key and name of a term whose level
//                                            depends on the order of the rows)
//
// With ascending or descending, the SQLite file holds ROWS first-level terms
// only, inserted in that order of their names.

#include "SyntheticVocabulary.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sqlite3.h>
#include <sstream>
#include <string>

namespace {

using Generator = std::function<void(const std::function<void(const bench::Term &)> &)>;

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "kestrelon-bench-generate: %s\n", message.c_str());
    std::exit(1);
}

std::string readFile(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        fail(std::string("cannot read ") + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void check(sqlite3 *db, int rc, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE)
        fail(std::string(what) + ": " + sqlite3_errmsg(db));
}

void writeSqlite(const Generator &generate, const char *file, const char *schemaPath)
{
    std::remove(file);
    sqlite3 *db = nullptr;
    if (sqlite3_open(file, &db) != SQLITE_OK)
        fail(std::string("cannot create ") + file);
    // A file for measuring needs no durability: skip the syncing that makes inserts slow.
    check(db,
          sqlite3_exec(db, "PRAGMA synchronous = OFF; PRAGMA journal_mode = OFF;", nullptr, nullptr,
                       nullptr),
          "pragmas");
    const std::string schema = readFile(schemaPath);
    check(db, sqlite3_exec(db, schema.c_str(), nullptr, nullptr, nullptr), "schema");
    check(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), "begin");
    sqlite3_stmt *insert = nullptr;
    check(db,
          sqlite3_prepare_v2(db,
                             "INSERT INTO lith_term (lith_id, lithology, parent_id, lith_level, "
                             "description) VALUES (?, ?, ?, ?, ?)",
                             -1, &insert, nullptr),
          "prepare");
    generate([&](const bench::Term &term) {
        sqlite3_bind_int64(insert, 1, term.id);
        sqlite3_bind_text(insert, 2, term.name.c_str(), int(term.name.size()), SQLITE_STATIC);
        if (term.parentId)
            sqlite3_bind_int64(insert, 3, *term.parentId);
        else
            sqlite3_bind_null(insert, 3);
        sqlite3_bind_int(insert, 4, term.level);
        if (term.description)
            sqlite3_bind_text(insert, 5, term.description->c_str(), int(term.description->size()),
                              SQLITE_STATIC);
        else
            sqlite3_bind_null(insert, 5);
        check(db, sqlite3_step(insert), "insert");
        sqlite3_reset(insert);
    });
    sqlite3_finalize(insert);
    check(db, sqlite3_exec(db, "COMMIT; ANALYZE;", nullptr, nullptr, nullptr), "commit");
    sqlite3_close(db);
}

// Text in COPY's text format: backslash, tab and line ends escaped.
void putCopyText(const std::string &text)
{
    for (const char c : text) {
        switch (c) {
        case '\\':
            std::fputs("\\\\", stdout);
            break;
        case '\t':
            std::fputs("\\t", stdout);
            break;
        case '\n':
            std::fputs("\\n", stdout);
            break;
        case '\r':
            std::fputs("\\r", stdout);
            break;
        default:
            std::fputc(c, stdout);
        }
    }
}

void writeCopy(int rows)
{
    std::puts("COPY lith_term (lith_id, lithology, parent_id, lith_level, description) "
              "FROM STDIN;");
    bench::generate(rows, [](const bench::Term &term) {
        std::printf("%lld\t", static_cast<long long>(term.id));
        putCopyText(term.name);
        if (term.parentId)
            std::printf("\t%lld\t%d\t", static_cast<long long>(*term.parentId), term.level);
        else
            std::printf("\t\\N\t%d\t", term.level);
        if (term.description)
            putCopyText(*term.description);
        else
            std::fputs("\\N", stdout);
        std::fputc('\n', stdout);
    });
    std::puts("\\.");
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3)
        fail(
            "usage: ROWS sqlite FILE SCHEMA.sql [ascending|descending] | ROWS copy | ROWS family | "
            "ROWS shared");
    const int rows = std::atoi(argv[1]);
    if (rows <= 0)
        fail("ROWS must be a positive number");
    if (std::strcmp(argv[2], "sqlite") == 0 && (argc == 5 || argc == 6)) {
        const std::string shape = argc == 6 ? argv[5] : "";
        if (!shape.empty() && shape != "ascending" && shape != "descending")
            fail("unknown order " + shape);
        writeSqlite(
            [&](const std::function<void(const bench::Term &)> &emit) {
                if (shape.empty())
                    bench::generate(rows, emit);
                else
                    bench::generateFlat(rows, shape == "descending", emit);
            },
            argv[3], argv[4]);
    } else if (std::strcmp(argv[2], "copy") == 0)
        writeCopy(rows);
    else if (std::strcmp(argv[2], "family") == 0) {
        const bench::Term parent = bench::largeFamilyParent(rows);
        std::printf("%d\t%s%lld\t%s\n", bench::largeFamilySize(rows), parent.name.c_str(),
                    static_cast<long long>(parent.id), parent.name.c_str());
    } else if (std::strcmp(argv[2], "shared") == 0) {
        const std::optional<bench::Term> term = bench::termOfSharedName(rows);
        if (!term)
            fail("no name is shared at different levels");
        std::printf("%s%lld\t%s\n", term->name.c_str(), static_cast<long long>(term->id),
                    term->name.c_str());
    } else
        fail("unknown output");
    return 0;
}
