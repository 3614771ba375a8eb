#include "records/recovery/sql_layouts.h"

#include <sqlite3.h>
#include <strings.h>

#include <cctype>
#include <cstring>
#include <string_view>

#include "records/recovery/sqlite_handles.h"

namespace quen::records::recovery {

namespace {

constexpr int kLargestStatement = 1 << 20;
constexpr int kVmStepsBeforeAbort = 1000;  // in units of the progress handler's period
constexpr int kProgressPeriod = 1000;

int compare_bytes(void*, int left_size, const void* left, int right_size, const void* right) {
    const int common = left_size < right_size ? left_size : right_size;
    const int order = std::memcmp(left, right, static_cast<size_t>(common));
    if (order != 0) return order;
    return left_size - right_size;
}

// Any collation a statement names is accepted, as plain byte order: only the
// layout matters here, never the order of rows.
void accept_collation(void*, sqlite3* db, int, const char* name) {
    sqlite3_create_collation(db, name, SQLITE_UTF8, nullptr, compare_bytes);
}

int deny_side_effects(void*, int action, const char*, const char*, const char*, const char*) {
    switch (action) {
        case SQLITE_ATTACH:
        case SQLITE_DETACH:
        case SQLITE_PRAGMA:
            return SQLITE_DENY;
        default:
            return SQLITE_OK;
    }
}

int stop_long_work(void* steps) {
    int& count = *static_cast<int*>(steps);
    return ++count > kVmStepsBeforeAbort ? 1 : 0;
}

class MemoryDb {
public:
    MemoryDb() {
        sqlite3* opened = nullptr;
        if (sqlite3_open_v2(":memory:", &opened, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
            sqlite3_close(opened);
            return;
        }
        db_.reset(opened);
        sqlite3_limit(opened, SQLITE_LIMIT_SQL_LENGTH, kLargestStatement);
        sqlite3_limit(opened, SQLITE_LIMIT_LENGTH, kLargestStatement);
        sqlite3_db_config(opened, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_db_config(opened, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        sqlite3_collation_needed(opened, nullptr, accept_collation);
        sqlite3_progress_handler(opened, kProgressPeriod, stop_long_work, &steps_);
    }
    sqlite3* get() const { return db_.get(); }
    explicit operator bool() const { return static_cast<bool>(db_); }

    // Runs one statement of the file's schema; false when it is not one
    // statement or SQLite refuses it.
    bool run_schema_statement(const std::string& sql) {
        steps_ = 0;
        sqlite3_set_authorizer(get(), deny_side_effects, nullptr);
        SqliteStmt statement;
        const char* tail = nullptr;
        sqlite3_stmt* prepared = nullptr;
        int result = sqlite3_prepare_v2(get(), sql.c_str(), static_cast<int>(sql.size()), &prepared, &tail);
        statement.reset(prepared);
        bool ok = result == SQLITE_OK && prepared;
        if (ok && tail) ok = std::string_view(tail).find_first_not_of(" \t\r\n;") == std::string_view::npos;
        if (ok) ok = sqlite3_step(prepared) == SQLITE_DONE;
        statement.reset();
        sqlite3_set_authorizer(get(), nullptr, nullptr);
        return ok;
    }

    // Runs `sql` with `text` bound to ?1 and hands every row to `row`.
    template <typename Row>
    bool each_row(const char* sql, const std::string& text, Row&& row) {
        steps_ = 0;
        SqliteStmt statement;
        if (prepare_statement(get(), sql, statement) != SQLITE_OK) return false;
        sqlite3_bind_text(statement.get(), 1, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
        int result = SQLITE_ROW;
        while ((result = sqlite3_step(statement.get())) == SQLITE_ROW) row(statement.get());
        return result == SQLITE_DONE;
    }

private:
    SqliteDb db_;
    int steps_ = 0;
};

std::string text_column(sqlite3_stmt* row, int column) {
    const auto* text = sqlite3_column_text(row, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(row, column)))
                : std::string();
}

sqlite::Value value_column(sqlite3_stmt* row, int column) {
    switch (sqlite3_column_type(row, column)) {
        case SQLITE_INTEGER: return sqlite::Value::of_integer(sqlite3_column_int64(row, column));
        case SQLITE_FLOAT: return sqlite::Value::of_real(sqlite3_column_double(row, column));
        case SQLITE_TEXT: return sqlite::Value::of_text(text_column(row, column));
        case SQLITE_BLOB: {
            const auto* blob = static_cast<const char*>(sqlite3_column_blob(row, column));
            return sqlite::Value::of_blob(blob ? std::string(blob, static_cast<size_t>(sqlite3_column_bytes(row, column)))
                                               : std::string());
        }
        default: return sqlite::Value::null();
    }
}

bool starts_with_create_table(const std::string& sql) {
    const size_t start = sql.find_first_not_of(" \t\r\n");
    return start != std::string::npos && strncasecmp(sql.c_str() + start, "CREATE TABLE", 12) == 0;
}

}  // namespace

std::optional<Table> table_from_sql(const std::string& sql) {
    if (!starts_with_create_table(sql)) return std::nullopt;
    MemoryDb db;
    if (!db || !db.run_schema_statement(sql)) return std::nullopt;

    Table table;
    table.sql = sql;
    bool found = false;
    db.each_row("SELECT name, wr FROM pragma_table_list WHERE schema = 'main' AND type = 'table' "
                "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'",
                "", [&](sqlite3_stmt* row) {
                    if (found) return;
                    found = true;
                    table.name = text_column(row, 0);
                    table.without_rowid = sqlite3_column_int(row, 1) != 0;
                });
    if (!found) return std::nullopt;

    std::vector<int> hidden;
    int key_columns = 0, key_column = -1;
    if (!db.each_row("SELECT name, type, \"notnull\", dflt_value, pk, hidden FROM pragma_table_xinfo(?1)", table.name,
                     [&](sqlite3_stmt* row) {
                         Column column;
                         column.name = text_column(row, 0);
                         column.declared_type = text_column(row, 1);
                         column.affinity = affinity_of(column.declared_type);
                         column.not_null = sqlite3_column_int(row, 2) != 0;
                         if (sqlite3_column_type(row, 3) != SQLITE_NULL) {
                             // The default is a constant expression SQLite accepted;
                             // it evaluates it once more here.
                             const std::string query = "SELECT " + text_column(row, 3);
                             db.each_row(query.c_str(), "", [&](sqlite3_stmt* value) {
                                 column.default_value = value_column(value, 0);
                             });
                         }
                         if (sqlite3_column_int(row, 4) > 0) {
                             ++key_columns;
                             key_column = static_cast<int>(table.columns.size());
                         }
                         hidden.push_back(sqlite3_column_int(row, 5));
                         table.columns.push_back(std::move(column));
                     }) ||
        table.columns.empty())
        return std::nullopt;

    std::string key_index;
    db.each_row("SELECT name FROM pragma_index_list(?1) WHERE origin = 'pk'", table.name,
                [&](sqlite3_stmt* row) { key_index = text_column(row, 0); });

    // A rowid table's single INTEGER PRIMARY KEY column is the rowid itself,
    // unless SQLite had to give it an index of its own (declared DESC).
    if (!table.without_rowid && key_columns == 1 && key_index.empty() &&
        strcasecmp(table.columns[static_cast<size_t>(key_column)].declared_type.c_str(), "INTEGER") == 0) {
        table.rowid_alias = key_column;
        table.columns[static_cast<size_t>(key_column)].rowid_alias = true;
    }

    // Hidden 1 (a virtual table's) and 2 (generated VIRTUAL) are not stored.
    auto stored_column = [&](int index) {
        if (index < 0 || index >= static_cast<int>(hidden.size())) return false;
        const int kind = hidden[static_cast<size_t>(index)];
        return kind != 1 && kind != 2;
    };
    if (table.without_rowid) {
        if (key_index.empty() ||
            !db.each_row("SELECT cid FROM pragma_index_xinfo(?1) ORDER BY seqno", key_index, [&](sqlite3_stmt* row) {
                const int column = sqlite3_column_int(row, 0);
                if (stored_column(column)) table.stored.push_back(column);
            }))
            return std::nullopt;
    } else {
        for (int index = 0; index < static_cast<int>(table.columns.size()); ++index)
            if (stored_column(index)) table.stored.push_back(index);
    }
    if (table.stored.empty()) return std::nullopt;
    table.fewest_stored = static_cast<uint32_t>(table.stored.size());
    return table;
}

std::vector<int> index_key_columns(const std::string& table_sql, const std::string& index_sql,
                                   const std::string& index_name, const Table& table) {
    std::vector<int> keys;
    MemoryDb db;
    if (!db || !db.run_schema_statement(table_sql)) return keys;
    std::string name;
    if (index_sql.empty()) {
        name = index_name;
    } else {
        const size_t start = index_sql.find_first_not_of(" \t\r\n");
        if (start == std::string::npos || strncasecmp(index_sql.c_str() + start, "CREATE", 6) != 0 ||
            !db.run_schema_statement(index_sql))
            return keys;
        db.each_row("SELECT name FROM sqlite_schema WHERE type = 'index' AND sql IS NOT NULL", "",
                    [&](sqlite3_stmt* row) { name = text_column(row, 0); });
    }
    if (name.empty()) return keys;
    db.each_row("SELECT cid FROM pragma_index_xinfo(?1) WHERE key = 1 ORDER BY seqno", name, [&](sqlite3_stmt* row) {
        const int column = sqlite3_column_int(row, 0);
        // -1 is the rowid (its alias, if the table has one), -2 an expression.
        if (column == -1) keys.push_back(table.rowid_alias);
        else if (column >= 0 && column < static_cast<int>(table.columns.size())) keys.push_back(column);
        else keys.push_back(-1);
    });
    return keys;
}

}  // namespace quen::records::recovery
