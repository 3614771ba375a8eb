#include "tracked_db.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

namespace quen::sqlite_cases {

std::string quote_name(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

namespace {

int compare_bytes(void*, int left_size, const void* left, int right_size, const void* right) {
    const int order = std::memcmp(left, right, static_cast<size_t>(std::min(left_size, right_size)));
    return order != 0 ? order : left_size - right_size;
}

// Android's providers declare collations of their own (PHONEBOOK, LOCALIZED,
// UNICODE); byte order stands in for them.
void any_collation(void*, sqlite3* db, int, const char* name) {
    sqlite3_create_collation(db, name, SQLITE_UTF8, nullptr, compare_bytes);
}

}  // namespace

TrackedDb::~TrackedDb() { close(); }

bool TrackedDb::open(const std::string& path) {
    close();
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        error_ = db_ ? sqlite3_errmsg(db_) : "cannot open " + path;
        close();
        return false;
    }
    sqlite3_collation_needed(db_, nullptr, any_collation);
    // Debian's SQLite wipes freed cells by default; phones and most files
    // in the field do not. Nothing needs to survive a power loss here, and
    // syncing every small transaction would make the cases slow to write.
    return exec("PRAGMA secure_delete=OFF; PRAGMA synchronous=OFF;");
}

void TrackedDb::close(bool keep_log) {
    if (!db_) return;
    if (keep_log) sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_close(db_);
    db_ = nullptr;
}

bool TrackedDb::exec(const std::string& sql) {
    shapes_.clear();
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
    error_ = std::string(message ? message : "?") + " in: " + sql.substr(0, 160);
    sqlite3_free(message);
    return false;
}

namespace {

void bind(sqlite3_stmt* statement, int at, const Value& value) {
    if (auto number = std::get_if<int64_t>(&value)) sqlite3_bind_int64(statement, at, *number);
    else if (auto real = std::get_if<double>(&value)) sqlite3_bind_double(statement, at, *real);
    else if (auto text = std::get_if<std::string>(&value))
        sqlite3_bind_text(statement, at, text->data(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
    else if (auto blob = std::get_if<Blob>(&value))
        sqlite3_bind_blob(statement, at, blob->bytes.data(), static_cast<int>(blob->bytes.size()), SQLITE_TRANSIENT);
    else sqlite3_bind_null(statement, at);
}

Value column_value(sqlite3_stmt* row, int column) {
    switch (sqlite3_column_type(row, column)) {
        case SQLITE_INTEGER: return sqlite3_column_int64(row, column);
        case SQLITE_FLOAT: return sqlite3_column_double(row, column);
        case SQLITE_TEXT:
            return std::string(reinterpret_cast<const char*>(sqlite3_column_text(row, column)),
                               static_cast<size_t>(sqlite3_column_bytes(row, column)));
        case SQLITE_BLOB: {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(row, column));
            return Blob{bytes ? std::string(bytes, static_cast<size_t>(sqlite3_column_bytes(row, column))) : std::string()};
        }
        default: return std::monostate{};
    }
}

}  // namespace

bool TrackedDb::run(const std::string& sql, const std::vector<Value>& params, const std::vector<std::string>& tables) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        error_ = std::string(sqlite3_errmsg(db_)) + " in: " + sql.substr(0, 160);
        return false;
    }
    for (size_t index = 0; index < params.size(); ++index) bind(statement, static_cast<int>(index) + 1, params[index]);
    int result;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
    }
    sqlite3_finalize(statement);
    if (result != SQLITE_DONE) {
        error_ = std::string(sqlite3_errmsg(db_)) + " in: " + sql.substr(0, 160);
        return false;
    }
    for (const std::string& table : tables)
        if (!note(table)) return false;
    return true;
}

TableShape TrackedDb::shape(const std::string& table) {
    if (auto known = shapes_.find(table); known != shapes_.end()) return known->second;
    TableShape& shape = shapes_[table];
    int key_columns = 0, key_column = -1;
    std::string key_type;
    sqlite3_stmt* statement = nullptr;
    const std::string info = "SELECT name, type, pk FROM pragma_table_xinfo(?1)";
    if (sqlite3_prepare_v2(db_, info.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(statement, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            shape.columns.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
            if (sqlite3_column_int(statement, 2) > 0) {
                ++key_columns;
                key_column = static_cast<int>(shape.columns.size()) - 1;
                const auto* type = sqlite3_column_text(statement, 1);
                key_type = type ? reinterpret_cast<const char*>(type) : "";
            }
        }
    }
    sqlite3_finalize(statement);
    std::string key_index;
    if (sqlite3_prepare_v2(db_, "SELECT name FROM pragma_index_list(?1) WHERE origin = 'pk'", -1, &statement,
                           nullptr) == SQLITE_OK) {
        sqlite3_bind_text(statement, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(statement) == SQLITE_ROW)
            key_index = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    }
    sqlite3_finalize(statement);
    if (sqlite3_prepare_v2(db_, "SELECT wr FROM pragma_table_list WHERE name = ?1", -1, &statement, nullptr) ==
        SQLITE_OK) {
        sqlite3_bind_text(statement, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(statement) == SQLITE_ROW) shape.without_rowid = sqlite3_column_int(statement, 0) != 0;
    }
    sqlite3_finalize(statement);
    if (!shape.without_rowid && key_columns == 1 && key_index.empty() && strcasecmp(key_type.c_str(), "INTEGER") == 0)
        shape.rowid_alias = key_column;
    if (shape.without_rowid &&
        sqlite3_prepare_v2(db_, "SELECT cid FROM pragma_index_xinfo(?1) ORDER BY seqno", -1, &statement, nullptr) ==
            SQLITE_OK) {
        sqlite3_bind_text(statement, 1, key_index.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(statement) == SQLITE_ROW) shape.stored.push_back(sqlite3_column_int(statement, 0));
        sqlite3_finalize(statement);
    } else {
        for (int column = 0; column < static_cast<int>(shape.columns.size()); ++column) shape.stored.push_back(column);
    }
    if (!shape.columns.empty()) last_shapes_[table] = shape;
    return shape;
}

TableShape TrackedDb::last_shape(const std::string& table) const {
    const auto found = last_shapes_.find(table);
    return found == last_shapes_.end() ? TableShape{} : found->second;
}

std::vector<RowVersion> TrackedDb::rows(const std::string& table) {
    std::vector<RowVersion> out;
    const TableShape table_shape = shape(table);
    const std::string sql = std::string("SELECT ") + (table_shape.without_rowid ? "" : "rowid, ") + "* FROM " +
                            quote_name(table);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        error_ = std::string(sqlite3_errmsg(db_)) + " in: " + sql;
        return out;
    }
    const int first = table_shape.without_rowid ? 0 : 1;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        RowVersion row;
        if (!table_shape.without_rowid) row.rowid = sqlite3_column_int64(statement, 0);
        for (int column = first; column < sqlite3_column_count(statement); ++column)
            row.values.push_back(column_value(statement, column));
        out.push_back(std::move(row));
    }
    sqlite3_finalize(statement);
    return out;
}

bool TrackedDb::note(const std::string& table) {
    auto& seen = history_[table];
    for (auto& row : rows(table)) seen.insert(std::move(row));
    return true;
}

}  // namespace quen::sqlite_cases
