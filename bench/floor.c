// SPDX-License-Identifier: GPL-3.0-or-later
/* The floor: the fastest plain ODBC read of the same rows, with nothing of
 * Kestrelon in between.
 *
 *   kestrelon-bench-floor [--text char|wchar] TERM
 *
 * Connects to "ds_hier", runs SELECT * FROM QryLithParent with every column
 * bound as text (narrow or wide) and fetches it in blocks of 256 rows; a cell
 * longer than its buffer is read whole through the driver (load). Then runs
 * the level lookup of one "Define" press for TERM the same way: SELECT
 * lithology, lith_level FROM QryLithParent in blocks, every name compared
 * with spaces trimmed, the level taken from matching rows (define). Prints
 * one line of key=value pairs. */

#include <sql.h>
#include <sqlext.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { TextUnits = 1024, BlockRows = 256 };

static SQLHENV environment;
static SQLHDBC connection;
static int wideText = 1;

static double now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static double cpu_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static long peak_resident_kb(void)
{
    char line[256];
    long kb = -1;
    FILE *status = fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    while (fgets(line, sizeof line, status))
        if (sscanf(line, "VmHWM: %ld kB", &kb) == 1)
            break;
    fclose(status);
    return kb;
}

static void fail(SQLSMALLINT type, SQLHANDLE handle, const char *what)
{
    SQLCHAR state[6] = "", message[512] = "";
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length);
    fprintf(stderr, "kestrelon-bench-floor: %s: [%s] %s\n", what, state, message);
    exit(1);
}

static void connect_to_source(void)
{
    SQLCHAR in[] = "DSN=ds_hier;UID=user;PWD=tamarisk";
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment);
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    SQLAllocHandle(SQL_HANDLE_DBC, environment, &connection);
    if (!SQL_SUCCEEDED(
            SQLDriverConnect(connection, NULL, in, SQL_NTS, NULL, 0, NULL, SQL_DRIVER_NOPROMPT)))
        fail(SQL_HANDLE_DBC, connection, "connect");
}

/* Reads one text cell whole, piece by piece; returns its length in bytes, or
 * -1 for Null. */
static long read_text(SQLHSTMT statement, SQLUSMALLINT column, void *buffer, SQLLEN size)
{
    long total = 0;
    for (;;) {
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(statement, column, wideText ? SQL_C_WCHAR : SQL_C_CHAR, buffer,
                                  size, &indicator);
        if (rc == SQL_NO_DATA)
            return total;
        if (!SQL_SUCCEEDED(rc))
            fail(SQL_HANDLE_STMT, statement, "SQLGetData");
        if (indicator == SQL_NULL_DATA)
            return -1;
        if (rc == SQL_SUCCESS)
            return total + (long)indicator;
        total += (long)size - (wideText ? 2 : 1);
    }
}

/* One column bound to a buffer that a fetch fills for a whole block. */
struct BoundColumn
{
    char *cells;
    SQLLEN *lengths;
};

static int drivesBlocks(void)
{
    SQLUINTEGER extensions = 0;
    SQLGetInfo(connection, SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions, NULL);
    return (extensions & SQL_GD_BLOCK) != 0;
}

/* A cell cut short in its buffer, read whole through the driver: only where
 * the driver reads cells of any row of a block. */
static long read_cut_cell(SQLHSTMT statement, SQLUSMALLINT row, SQLUSMALLINT column)
{
    SQLWCHAR text[TextUnits];
    if (!drivesBlocks()) {
        fprintf(stderr,
                "kestrelon-bench-floor: a cell is longer than %d characters, and the "
                "driver cannot read it within a block\n",
                TextUnits - 1);
        exit(1);
    }
    if (!SQL_SUCCEEDED(SQLSetPos(statement, row, SQL_POSITION, SQL_LOCK_NO_CHANGE)))
        fail(SQL_HANDLE_STMT, statement, "SQLSetPos");
    return read_text(statement, column, text, sizeof text);
}

/* Every column bound as text, narrow or wide, fetched BlockRows rows a call. */
static void load(long *rows, long *bytes)
{
    SQLHSTMT statement;
    SQLSMALLINT columns = 0;
    SQLULEN fetched = 0;
    const SQLLEN unit = wideText ? (SQLLEN)sizeof(SQLWCHAR) : 1;
    const SQLLEN cellBytes = TextUnits * unit;
    struct BoundColumn bound[64];

    SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement);
    SQLSetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, (SQLPOINTER)(SQLULEN)BlockRows, 0);
    SQLSetStmtAttr(statement, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    if (!SQL_SUCCEEDED(SQLExecDirect(statement, (SQLCHAR *)"SELECT * FROM QryLithParent", SQL_NTS)))
        fail(SQL_HANDLE_STMT, statement, "SELECT * FROM QryLithParent");
    SQLNumResultCols(statement, &columns);
    if (columns > 64)
        columns = 64;
    for (SQLSMALLINT i = 0; i < columns; ++i) {
        bound[i].cells = malloc((size_t)(BlockRows * cellBytes));
        bound[i].lengths = malloc(BlockRows * sizeof(SQLLEN));
        if (!SQL_SUCCEEDED(SQLBindCol(statement, (SQLUSMALLINT)(i + 1),
                                      wideText ? SQL_C_WCHAR : SQL_C_CHAR, bound[i].cells,
                                      cellBytes, bound[i].lengths)))
            fail(SQL_HANDLE_STMT, statement, "SQLBindCol");
    }
    *rows = 0;
    *bytes = 0;
    for (;;) {
        SQLRETURN rc = SQLFetch(statement);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            fail(SQL_HANDLE_STMT, statement, "SQLFetch");
        for (SQLULEN row = 0; row < fetched; ++row) {
            for (SQLSMALLINT i = 0; i < columns; ++i) {
                const SQLLEN length = bound[i].lengths[row];
                if (length == SQL_NULL_DATA)
                    continue;
                if (length == SQL_NO_TOTAL || length > cellBytes - unit)
                    *bytes +=
                        read_cut_cell(statement, (SQLUSMALLINT)(row + 1), (SQLUSMALLINT)(i + 1));
                else
                    *bytes += length;
            }
        }
        *rows += (long)fetched;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    for (SQLSMALLINT i = 0; i < columns; ++i) {
        free(bound[i].cells);
        free(bound[i].lengths);
    }
}

/* The term in the form the driver hands text over: UTF-8 bytes, or UTF-16
 * code units. */
static size_t encode_term(const char *utf8, SQLWCHAR *out, size_t room)
{
    size_t n = 0;
    const unsigned char *p = (const unsigned char *)utf8;
    if (!wideText) {
        size_t length = strlen(utf8);
        if (length > room * sizeof(SQLWCHAR))
            length = room * sizeof(SQLWCHAR);
        memcpy(out, utf8, length);
        return length;
    }
    while (*p && n + 2 < room) {
        unsigned long c = *p++;
        if (c >= 0xF0) {
            c = (c & 0x07) << 18 | (p[0] & 0x3Ful) << 12 | (p[1] & 0x3Ful) << 6 | (p[2] & 0x3F);
            p += 3;
        } else if (c >= 0xE0) {
            c = (c & 0x0F) << 12 | (p[0] & 0x3Ful) << 6 | (p[1] & 0x3F);
            p += 2;
        } else if (c >= 0xC0) {
            c = (c & 0x1F) << 6 | (p[0] & 0x3F);
            p += 1;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out[n++] = (SQLWCHAR)(0xD800 + (c >> 10));
            out[n++] = (SQLWCHAR)(0xDC00 + (c & 0x3FF));
        } else {
            out[n++] = (SQLWCHAR)c;
        }
    }
    return n * sizeof(SQLWCHAR);
}

/* The bytes of text between its leading and trailing spaces. */
static const char *trimmed(const char *text, size_t *length, size_t unit)
{
    while (*length >= unit && text[0] == ' ' && (unit == 1 || text[1] == 0)) {
        text += unit;
        *length -= unit;
    }
    while (*length >= unit && text[*length - unit] == ' ' && (unit == 1 || text[*length - 1] == 0))
        *length -= unit;
    return text;
}

static void define(const char *term, long *matches, long long *level)
{
    SQLWCHAR wanted[TextUnits];
    const size_t unit = wideText ? 2 : 1;
    const SQLLEN cellBytes = TextUnits * (SQLLEN)unit;
    size_t wantedLength = encode_term(term, wanted, TextUnits);
    const char *wantedText = trimmed((const char *)wanted, &wantedLength, unit);
    char *names = malloc((size_t)(BlockRows * cellBytes));
    SQLLEN nameLengths[BlockRows], levelLengths[BlockRows];
    SQLBIGINT levels[BlockRows];
    SQLULEN fetched = 0;
    SQLHSTMT statement;

    SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement);
    SQLSetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, (SQLPOINTER)(SQLULEN)BlockRows, 0);
    SQLSetStmtAttr(statement, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    if (!SQL_SUCCEEDED(SQLExecDirect(
            statement, (SQLCHAR *)"SELECT lithology, lith_level FROM QryLithParent", SQL_NTS)))
        fail(SQL_HANDLE_STMT, statement, "SELECT lithology, lith_level FROM QryLithParent");
    SQLBindCol(statement, 1, wideText ? SQL_C_WCHAR : SQL_C_CHAR, names, cellBytes, nameLengths);
    SQLBindCol(statement, 2, SQL_C_SBIGINT, levels, 0, levelLengths);
    *matches = 0;
    for (;;) {
        SQLRETURN rc = SQLFetch(statement);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            fail(SQL_HANDLE_STMT, statement, "SQLFetch");
        for (SQLULEN row = 0; row < fetched; ++row) {
            size_t size = (size_t)nameLengths[row];
            if (nameLengths[row] < 0 || nameLengths[row] > cellBytes - (SQLLEN)unit)
                continue; /* Null, or longer than any term */
            const char *name = trimmed(names + row * (size_t)cellBytes, &size, unit);
            if (size == wantedLength && memcmp(name, wantedText, size) == 0) {
                *level = levelLengths[row] == SQL_NULL_DATA ? -1 : levels[row];
                ++*matches;
            }
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    free(names);
}

int main(int argc, char **argv)
{
    const char *term = NULL;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--text") == 0 && i + 1 < argc)
            wideText = strcmp(argv[++i], "char") != 0;
        else
            term = argv[i];
    }
    if (!term) {
        fprintf(stderr, "usage: kestrelon-bench-floor [--text char|wchar] TERM\n");
        return 2;
    }

    long rows = 0, bytes = 0, matches = 0;
    long long level = 0;
    const double start = now_ms(), startCpu = cpu_ms();
    connect_to_source();
    load(&rows, &bytes);
    const double loaded = now_ms(), loadedCpu = cpu_ms();
    const long peak = peak_resident_kb();

    const double pressed = now_ms();
    define(term, &matches, &level);
    const double defined = now_ms();

    printf("rows=%ld bytes=%ld load_ms=%.2f load_cpu_ms=%.2f peak_kb=%ld define_ms=%.2f "
           "matches=%ld level=%lld\n",
           rows, bytes, loaded - start, loadedCpu - startCpu, peak, defined - pressed, matches,
           level);
    SQLDisconnect(connection);
    return 0;
}
