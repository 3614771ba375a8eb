#pragma once
// A database written for a recovery test case, that remembers every version
// of every row it ever held: after each statement that makes rows, the
// touched tables are read back whole, and each row not seen before is kept.
// At the end, the versions no live row equals are the deleted ones the
// recovery should find (when their bytes survive, see answer_key.h).
#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

namespace quen::sqlite_cases {

struct Blob {
    std::string bytes;
    bool operator<(const Blob& other) const { return bytes < other.bytes; }
    bool operator==(const Blob& other) const { return bytes == other.bytes; }
};
using Value = std::variant<std::monostate, int64_t, double, std::string, Blob>;

// One version of one row: its rowid (none in a WITHOUT ROWID table) and its
// values in the table's column order.
struct RowVersion {
    std::optional<int64_t> rowid;
    std::vector<Value> values;
    bool operator<(const RowVersion& other) const {
        return std::tie(rowid, values) < std::tie(other.rowid, other.values);
    }
    bool operator==(const RowVersion& other) const { return rowid == other.rowid && values == other.values; }
};

// How a table's rows are stored, as the case's statements made it.
struct TableShape {
    std::vector<std::string> columns;  // in table order
    bool without_rowid = false;
    int rowid_alias = -1;              // column index, -1: none
    std::vector<int> stored;           // record order of the columns
};

class TrackedDb {
public:
    TrackedDb() = default;
    ~TrackedDb();
    TrackedDb(const TrackedDb&) = delete;
    TrackedDb& operator=(const TrackedDb&) = delete;

    // Opens (creating) `path` with secure_delete off unless a case says
    // otherwise later.
    bool open(const std::string& path);
    // Closes; with `keep_log`, without checkpointing a "-wal" into the file.
    void close(bool keep_log = false);

    // Runs statements that make no rows to remember (schema, pragmas).
    bool exec(const std::string& sql);
    // Runs one statement with parameters (?1, ?2, ...) and then reads back
    // `tables`, remembering new row versions.
    bool run(const std::string& sql, const std::vector<Value>& params, const std::vector<std::string>& tables);
    // Reads back `table` and remembers new row versions.
    bool note(const std::string& table);
    // The rows of `table` as SQLite returns them now.
    std::vector<RowVersion> rows(const std::string& table);

    TableShape shape(const std::string& table);
    // The shape `table` had when last seen (also after it was dropped).
    TableShape last_shape(const std::string& table) const;
    // Every table that was noted, and every version seen of its rows.
    const std::map<std::string, std::set<RowVersion>>& history() const { return history_; }
    sqlite3* handle() const { return db_; }
    const std::string& error() const { return error_; }

private:
    sqlite3* db_ = nullptr;
    std::string error_;
    std::map<std::string, std::set<RowVersion>> history_;
    std::map<std::string, TableShape> shapes_;  // cleared by exec(), which may alter tables
    std::map<std::string, TableShape> last_shapes_;
};

std::string quote_name(const std::string& name);  // "name" with inner quotes doubled

}  // namespace quen::sqlite_cases
