#pragma once
// Owning handles for an SQLite connection and a prepared statement. The
// connection closes with sqlite3_close_v2, which waits for any statement
// still open instead of failing.
#include <sqlite3.h>

#include <memory>

namespace quen::records {

struct SqliteClose {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct SqliteFinalize {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using SqliteDb = std::unique_ptr<sqlite3, SqliteClose>;
using SqliteStmt = std::unique_ptr<sqlite3_stmt, SqliteFinalize>;

// Prepares `sql` into `out`. SQLITE_OK when there is a statement; otherwise
// SQLite's error, or SQLITE_ERROR for a text without any statement in it.
int prepare_statement(sqlite3* db, const char* sql, SqliteStmt& out);

}  // namespace quen::records
