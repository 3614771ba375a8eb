#pragma once
// Owning handles for a SQLite connection and a prepared statement. The
// connection closes with sqlite3_close_v2, which waits for any statement
// still open instead of failing.
#include <sqlite3.h>

#include <memory>

namespace quen::records {

struct SqliteClose {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct SqliteFinalize {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};
using SqliteDb = std::unique_ptr<sqlite3, SqliteClose>;
using SqliteStmt = std::unique_ptr<sqlite3_stmt, SqliteFinalize>;

}  // namespace quen::records
