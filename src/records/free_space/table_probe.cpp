#include "records/free_space/table_probe.h"

#include <sqlite3.h>

#include <filesystem>
#include <string_view>

#include "records/readers/database_open.h"
#include "records/readers/sqlite_handles.h"

namespace quen::records {

namespace {

// Root page from sqlite_master; every column of every row is read, the last
// value wins. 0 when there is none or it is not a valid page number.
uint32_t query_root_page(sqlite3* db, const char* sql) {
    SqliteStmt statement;
    if (prepare_statement(db, sql, statement) != SQLITE_OK) return 0;
    int64_t root = 0;
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        const int columns = sqlite3_column_count(statement.get());
        for (int index = 0; index < columns; ++index) root = sqlite3_column_int64(statement.get(), index);
    }
    return root > 0 && root <= int64_t{UINT32_MAX} ? static_cast<uint32_t>(root) : 0;
}

void locate_columns(sqlite3_stmt* statement, FreeSpaceLayout& layout) {
    const int columns = sqlite3_column_count(statement);
    layout.column_count = columns > 0 ? static_cast<uint32_t>(columns) : 0;
    for (int index = 0; index < columns; ++index) {
        const char* name_text = sqlite3_column_name(statement, index);
        if (!name_text) continue;
        const std::string_view name(name_text);
        if (layout.mode == FreeSpaceMode::Contacts) {
            if (name == "raw_contact_id") layout.raw_contact_id = index;
            else if (name == "data1") layout.data1 = index;
        } else {
            if (name == "address") layout.address = index;
            else if (name == "person") layout.person = index;
            else if (name == "body") layout.body = index;
            else if (name == "thread_id") layout.thread_id = index;
            else if (name == "date") layout.date = index;
            else if (name == "type") layout.type = index;
        }
    }
}

}  // namespace

std::optional<FreeSpaceLayout> probe_table(FreeSpaceMode mode, const std::string& path) {
    std::error_code error;
    // Only regular files: opening a pipe planted under the name would block.
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const bool contacts = mode == FreeSpaceMode::Contacts;
    if (contacts && path.find("contacts2.db") == std::string::npos) return std::nullopt;

    // A private copy: an open of the file itself, even read-only, creates a
    // "-wal" and "-shm" beside a database in WAL mode, and a read-write one
    // would checkpoint the log into the file before the raw read.
    const PrivateCopy copy(path);
    SqliteDb db = copy.open();
    if (!db) return std::nullopt;

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

    SqliteStmt statement;
    if (prepare_statement(db.get(), contacts ? "SELECT * from data" : "SELECT * from sms", statement) == SQLITE_OK)
        locate_columns(statement.get(), layout);
    statement.reset();
    db.reset();
    if (layout.column_count == 0) return std::nullopt;
    return layout;
}

bool layout_is_usable(const FreeSpaceLayout& layout) {
    if (layout.root_page == 0 || layout.column_count == 0) return false;
    // A column the carver reaches: found, at or after `first`, and inside the table.
    auto reachable = [&](int32_t index, int32_t first) {
        return index >= first && static_cast<uint32_t>(index) < layout.column_count;
    };
    if (layout.mode == FreeSpaceMode::Contacts)
        return reachable(layout.raw_contact_id, 1) && reachable(layout.data1, 0);
    return reachable(layout.address, 1) && reachable(layout.body, 1) && reachable(layout.thread_id, 1) &&
           reachable(layout.date, 1) && reachable(layout.type, 1);
}

}  // namespace quen::records
