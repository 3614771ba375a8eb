#include "records/free_space_probe.h"

#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "records/sqlite_handles.h"

namespace quen::records {

namespace {

SqliteStmt prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, static_cast<int>(std::strlen(sql)), &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    return SqliteStmt(stmt);
}

// Root page from sqlite_master; every column of every row is read, the last
// value wins. 0 when there is none or it is not a valid page number.
uint32_t query_root_page(sqlite3* db, const char* sql) {
    SqliteStmt stmt = prepare(db, sql);
    if (!stmt) return 0;
    int64_t root = 0;
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
        int n = sqlite3_column_count(stmt.get());
        for (int i = 0; i < n; ++i) root = sqlite3_column_int64(stmt.get(), i);
    }
    return root > 0 && root <= int64_t{UINT32_MAX} ? static_cast<uint32_t>(root) : 0;
}

void locate_columns(sqlite3_stmt* stmt, FreeSpaceLayout& layout) {
    int n = sqlite3_column_count(stmt);
    layout.column_count = n > 0 ? static_cast<uint32_t>(n) : 0;
    for (int i = 0; i < n; ++i) {
        const char* name = sqlite3_column_name(stmt, i);
        if (!name) continue;
        std::string_view col(name);
        if (layout.mode == FreeSpaceMode::Contacts) {
            if (col == "raw_contact_id") layout.raw_contact_id = i;
            else if (col == "data1") layout.data1 = i;
        } else {
            if (col == "address") layout.address = i;
            else if (col == "person") layout.person = i;
            else if (col == "body") layout.body = i;
            else if (col == "thread_id") layout.thread_id = i;
            else if (col == "date") layout.date = i;
            else if (col == "type") layout.type = i;
        }
    }
}

}  // namespace

std::optional<FreeSpaceLayout> probe_table(FreeSpaceMode mode, const std::string& path) {
    std::error_code ec;
    // Only regular files: opening a pipe planted under the name would block.
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    const bool contacts = mode == FreeSpaceMode::Contacts;
    if (contacts && path.find("contacts2.db") == std::string::npos) return std::nullopt;

    sqlite3* raw = nullptr;
    // Read-only: a read-write connection would checkpoint a "-wal" into the
    // file and delete it when it closes, changing the copy before the raw
    // read and losing what only the log held.
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    SqliteDb db(raw);
    if (rc != SQLITE_OK) return std::nullopt;

    FreeSpaceLayout layout;
    layout.mode = mode;
    // Single-quoted literals: a build of SQLite without double-quoted string
    // literals would read "table" as a column name and fail.
    if (contacts) {
        layout.root_page = query_root_page(
            db.get(), "SELECT rootpage from sqlite_master where type='table' and name='data'");
    } else if (path.find("mmssms.db") != std::string::npos) {
        layout.root_page = query_root_page(
            db.get(), "SELECT rootpage from sqlite_master where type='table' and name='sms'");
    }

    SqliteStmt stmt = prepare(db.get(), contacts ? "SELECT * from data" : "SELECT * from sms");
    if (stmt) locate_columns(stmt.get(), layout);
    stmt.reset();
    db.reset();
    if (layout.column_count == 0) return std::nullopt;
    return layout;
}

bool layout_is_usable(const FreeSpaceLayout& l) {
    if (l.root_page == 0 || l.column_count == 0) return false;
    auto inside = [&](int32_t i, int32_t min) { return i >= min && static_cast<uint32_t>(i) < l.column_count; };
    if (l.mode == FreeSpaceMode::Contacts) return inside(l.raw_contact_id, 1) && inside(l.data1, 0);
    return inside(l.address, 1) && inside(l.body, 1) && inside(l.thread_id, 1) && inside(l.date, 1) &&
           inside(l.type, 1);
}

}  // namespace quen::records
