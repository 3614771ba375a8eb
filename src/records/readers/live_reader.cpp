#include "records/readers/live_reader.h"

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <string_view>

#include "records/model/record_model.h"
#include "records/readers/database_open.h"
#include "records/readers/sqlite_handles.h"

namespace quen::records {

namespace {

// Index of the result column named `name` (exact, case-sensitive), or -1.
// Android versions order the columns differently, so nothing is read by position.
int column_index(sqlite3_stmt* query, const char* name) {
    const int columns = sqlite3_column_count(query);
    for (int index = 0; index < columns; ++index) {
        const char* column_name = sqlite3_column_name(query, index);
        if (column_name && std::string_view(column_name) == name) return index;
    }
    return -1;
}

// A column that was not found (-1) reads as NULL: empty text, number 0.
std::string text_at(sqlite3_stmt* row, int column) {
    if (column < 0 || sqlite3_column_type(row, column) == SQLITE_NULL) return {};
    const auto* text = sqlite3_column_text(row, column);
    const int bytes = sqlite3_column_bytes(row, column);
    if (!text || bytes <= 0) return {};
    return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(bytes));
}

int64_t int_at(sqlite3_stmt* row, int column) { return column < 0 ? 0 : sqlite3_column_int64(row, column); }

bool is_null(sqlite3_stmt* row, int column) {
    return column < 0 || sqlite3_column_type(row, column) == SQLITE_NULL;
}

// Whether `name` is an ordinary table (`plain`). A hostile file could put a
// view (a recursive one never ends) or a virtual table under the name
// instead. Returns SQLITE_DONE when the schema could be read, else the error.
int check_plain_table(sqlite3* db, const char* name, bool& plain) {
    plain = false;
    SqliteStmt query;
    int result = prepare_statement(db, "SELECT type, sql FROM sqlite_master WHERE name = ?1 COLLATE NOCASE", query);
    if (result != SQLITE_OK) return result;
    sqlite3_bind_text(query.get(), 1, name, -1, SQLITE_STATIC);
    bool other = false;
    while ((result = sqlite3_step(query.get())) == SQLITE_ROW) {
        const auto* type = sqlite3_column_text(query.get(), 0);
        const auto* sql = sqlite3_column_text(query.get(), 1);
        const std::string_view text = sql ? reinterpret_cast<const char*>(sql) : "";
        if (!type || std::string_view(reinterpret_cast<const char*>(type)) != "table" ||
            sqlite3_strnicmp(text.data(), "CREATE VIRTUAL", 14) == 0)
            other = true;
        else
            plain = true;
    }
    if (other) plain = false;
    return result;
}

// Runs "SELECT * FROM table" on a plain table: `locate_columns` looks at the
// prepared statement (false: nothing to read), then every row goes to
// `take_row`. Returns the last SQLite result: SQLITE_DONE when the whole table
// was read. Rows read before an error (a corrupt page further on) are kept by
// the caller.
template <typename LocateColumns, typename TakeRow>
int each_row(sqlite3* db, const char* table, LocateColumns&& locate_columns, TakeRow&& take_row) {
    bool plain = false;
    if (const int result = check_plain_table(db, table, plain); result != SQLITE_DONE) return result;
    if (!plain) return SQLITE_DONE;
    const std::string sql = std::string("SELECT * FROM \"") + table + "\"";
    SqliteStmt query;
    int result = prepare_statement(db, sql.c_str(), query);
    if (result != SQLITE_OK) return result;
    if (!locate_columns(query.get())) return SQLITE_DONE;
    while ((result = sqlite3_step(query.get())) == SQLITE_ROW) take_row(query.get());
    return result;
}

bool readable_file(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

// Reads a private copy of the file and its log or journal: any open of the
// file itself, even read-only, may create a "-wal" and "-shm" beside it. When
// no copy can be made (no room), reads the main file alone, immutable, which
// creates nothing.
template <typename Lists, typename ReadFn>
Lists read_with_fallback(const std::string& path, ReadFn&& read) {
    enum Attempt { kPrivateCopy, kMainFileAlone, kAttempts };
    Lists out;
    if (!readable_file(path)) return out;
    for (int attempt = kPrivateCopy; attempt < kAttempts; ++attempt) {
        out = Lists{};
        std::unique_ptr<PrivateCopy> copy;
        SqliteDb db;
        if (attempt == kPrivateCopy) {
            copy = std::make_unique<PrivateCopy>(path);
            db = copy->open();
        } else {
            db = open_database_read_only(path, true);
        }
        if (!db) continue;
        const int result = read(db.get(), out);
        if (result == SQLITE_DONE || !worth_retry(result)) break;
    }
    return out;
}

}  // namespace

LiveContacts read_live_contacts(const std::string& path) {
    return read_with_fallback<LiveContacts>(path, [](sqlite3* db, LiveContacts& out) {
        // mimetypes(_id INTEGER PRIMARY KEY, mimetype TEXT NOT NULL)
        int id_column = -1, text_column = -1;
        int result = each_row(
            db, "mimetypes",
            [&](sqlite3_stmt* query) {
                id_column = column_index(query, "_id");
                text_column = column_index(query, "mimetype");
                return id_column >= 0 && text_column >= 0;
            },
            [&](sqlite3_stmt* row) {
                out.mimetypes.push_back({static_cast<int32_t>(int_at(row, id_column)), text_at(row, text_column)});
            });
        if (result != SQLITE_DONE && worth_retry(result)) return result;

        // data(_id, package_id, mimetype_id, raw_contact_id, [hash_id,] ..., data1, ...)
        int mimetype_column = -1, raw_contact_column = -1, data1_column = -1;
        result = each_row(
            db, "data",
            [&](sqlite3_stmt* query) {
                mimetype_column = column_index(query, "mimetype_id");
                raw_contact_column = column_index(query, "raw_contact_id");
                data1_column = column_index(query, "data1");
                return mimetype_column >= 0 && raw_contact_column >= 0;
            },
            [&](sqlite3_stmt* row) {
                if (is_null(row, raw_contact_column)) return;  // a row that belongs to no contact
                out.rows.push_back({static_cast<int32_t>(int_at(row, mimetype_column)), int_at(row, raw_contact_column),
                                    text_at(row, data1_column)});
            });
        return result;
    });
}

std::vector<LiveMessage> read_live_messages(const std::string& path) {
    using Messages = std::vector<LiveMessage>;
    return read_with_fallback<Messages>(path, [](sqlite3* db, Messages& out) {
        // sms(_id, thread_id, address, person, date, date_sent, protocol, read,
        //     status, type, reply_path_present, subject, body, ...)
        int thread_column = -1, address_column = -1, date_column = -1, type_column = -1, body_column = -1;
        return each_row(
            db, "sms",
            [&](sqlite3_stmt* query) {
                thread_column = column_index(query, "thread_id");
                address_column = column_index(query, "address");
                date_column = column_index(query, "date");
                type_column = column_index(query, "type");
                body_column = column_index(query, "body");
                return thread_column >= 0 || address_column >= 0 || body_column >= 0;
            },
            [&](sqlite3_stmt* row) {
                LiveMessage message;
                message.thread_id = int_at(row, thread_column);
                message.address = text_at(row, address_column);
                if (!is_null(row, date_column)) {
                    message.date_millis = int_at(row, date_column);
                    message.date_text = sms_date_text(message.date_millis);
                }
                message.type = static_cast<int32_t>(int_at(row, type_column));
                message.body = text_at(row, body_column);
                out.push_back(std::move(message));
            });
    });
}

}  // namespace quen::records
