#include "records/recovery/sqlite_handles.h"

namespace quen::records {

int prepare_statement(sqlite3* db, const char* sql, SqliteStmt& out) {
    sqlite3_stmt* statement = nullptr;
    const int result = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    out.reset(statement);
    if (result != SQLITE_OK) return result;
    return statement ? SQLITE_OK : SQLITE_ERROR;
}

}  // namespace quen::records
