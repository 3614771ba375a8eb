#include "records/live_reader.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>

#include "records/record_model.h"
#include "records/sqlite_handles.h"

namespace quen::records {

namespace {

// The path as a "file:" URI: every byte outside the unreserved set is
// percent-encoded, so "?", "#" and "%" in folder names cannot be read as URI
// syntax.
std::string file_uri(const std::string& path, std::string_view query) {
    std::string uri = "file:";
    for (unsigned char ch : path) {
        const bool plain = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') ||
                           ch == '/' || ch == '-' || ch == '_' || ch == '.' || ch == '~';
        if (plain) {
            uri.push_back(static_cast<char>(ch));
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", ch);
            uri.append(buf);
        }
    }
    uri.push_back('?');
    uri.append(query);
    return uri;
}

// Plain result codes, and no single value above 64 MiB: a contact field or an
// sms body is never near that, and a hostile file cannot make one row take
// gigabytes.
void limit_db(sqlite3* db) {
    sqlite3_extended_result_codes(db, 0);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, 64 << 20);
}

// Read-only opens never write the main file, never checkpoint the "-wal" into
// it and never delete the "-wal"; SQLite reads the log through the "-shm"
// (or, when that cannot be opened, through private memory). `immutable` skips
// locking and every companion file: the last resort, as it sees the main
// file alone.
SqliteDb open_read_only(const std::string& path, bool immutable) {
    sqlite3* raw = nullptr;
    const std::string uri = file_uri(path, immutable ? "mode=ro&immutable=1" : "mode=ro");
    const int rc = sqlite3_open_v2(uri.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    SqliteDb db(raw);
    if (rc != SQLITE_OK) return nullptr;
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    limit_db(db.get());
    return db;
}

// A private copy of the database with its "-wal" or "-journal", in a folder of
// its own under the temporary folder, removed again when this goes. Opened
// read-write, SQLite may roll back a hot journal or replay the log there, so
// the copy shows the last committed state while the original stays untouched.
class PrivateCopy {
public:
    explicit PrivateCopy(const std::string& path) {
        std::error_code ec;
        std::string pattern = (std::filesystem::temp_directory_path(ec) / "quen-live-XXXXXX").string();
        if (ec || !::mkdtemp(pattern.data())) return;
        dir_ = pattern;
        const std::filesystem::path copy = dir_ / std::filesystem::path(path).filename();
        if (!std::filesystem::copy_file(path, copy, ec)) return;
        for (const char* companion : {"-wal", "-journal"}) {
            const std::string from = path + companion;
            if (std::filesystem::is_regular_file(from, ec))
                std::filesystem::copy_file(from, copy.string() + companion, ec);
        }
        path_ = copy.string();
    }
    ~PrivateCopy() {
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }
    PrivateCopy(const PrivateCopy&) = delete;
    PrivateCopy& operator=(const PrivateCopy&) = delete;

    SqliteDb open() const {
        if (path_.empty()) return nullptr;
        sqlite3* raw = nullptr;
        const std::string uri = file_uri(path_, "mode=rw");
        const int rc = sqlite3_open_v2(uri.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr);
        SqliteDb db(raw);
        if (rc != SQLITE_OK) return nullptr;
        limit_db(db.get());
        return db;
    }

private:
    std::filesystem::path dir_;
    std::string path_;
};

// Failures that another way of opening may get around; everything else
// (not a database, corrupt) would fail the same way again.
bool worth_retry(int rc) {
    switch (rc & 0xff) {
        case SQLITE_CANTOPEN:
        case SQLITE_READONLY:
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
        case SQLITE_IOERR:
        case SQLITE_PROTOCOL:
            return true;
        default:
            return false;
    }
}

// Index of the result column named `name` (exact, case-sensitive), or -1.
// Android versions order the columns differently, so nothing is read by position.
int column_index(sqlite3_stmt* st, const char* name) {
    const int n = sqlite3_column_count(st);
    for (int i = 0; i < n; ++i) {
        const char* col = sqlite3_column_name(st, i);
        if (col && std::string_view(col) == name) return i;
    }
    return -1;
}

std::string text_at(sqlite3_stmt* st, int col) {
    if (col < 0 || sqlite3_column_type(st, col) == SQLITE_NULL) return {};
    const auto* p = sqlite3_column_text(st, col);
    const int n = sqlite3_column_bytes(st, col);
    if (!p || n <= 0) return {};
    return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
}

int64_t int_at(sqlite3_stmt* st, int col) { return col < 0 ? 0 : sqlite3_column_int64(st, col); }

bool is_null(sqlite3_stmt* st, int col) { return col < 0 || sqlite3_column_type(st, col) == SQLITE_NULL; }

// Whether `name` is an ordinary table (`plain`). A hostile file could put a
// view (a recursive one never ends) or a virtual table under the name
// instead. Returns SQLITE_DONE when the schema could be read, else the error.
int check_plain_table(sqlite3* db, const char* name, bool& plain) {
    plain = false;
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT type, sql FROM sqlite_master WHERE name = ?1 COLLATE NOCASE", -1, &raw, nullptr);
    SqliteStmt st(raw);
    if (rc != SQLITE_OK || !st) return rc == SQLITE_OK ? SQLITE_ERROR : rc;
    sqlite3_bind_text(st.get(), 1, name, -1, SQLITE_STATIC);
    bool other = false;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        const auto* type = sqlite3_column_text(st.get(), 0);
        const auto* sql = sqlite3_column_text(st.get(), 1);
        const std::string_view text = sql ? reinterpret_cast<const char*>(sql) : "";
        if (!type || std::string_view(reinterpret_cast<const char*>(type)) != "table" ||
            sqlite3_strnicmp(text.data(), "CREATE VIRTUAL", 14) == 0)
            other = true;
        else
            plain = true;
    }
    if (other) plain = false;
    return rc;
}

// Runs "SELECT * FROM table" on a plain table, hands every row to `row` and returns the last
// SQLite result: SQLITE_DONE when the whole table was read. Rows read before
// an error (a corrupt page further on) are kept by the caller.
template <typename Prepare, typename Row>
int each_row(sqlite3* db, const char* table, Prepare&& prepare, Row&& row) {
    bool plain = false;
    if (const int rc = check_plain_table(db, table, plain); rc != SQLITE_DONE) return rc;
    if (!plain) return SQLITE_DONE;
    const std::string sql = std::string("SELECT * FROM \"") + table + "\"";
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr);
    SqliteStmt st(raw);
    if (rc != SQLITE_OK || !st) return rc == SQLITE_OK ? SQLITE_ERROR : rc;
    if (!prepare(st.get())) return SQLITE_DONE;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) row(st.get());
    return rc;
}

bool readable_file(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

// Reads with a read-only open of the file itself. When that fails for a
// reason another way of opening avoids (a hot rollback journal that a
// read-only connection may not roll back, a lock), reads a private copy
// instead, and as the last resort the main file alone, unlocked.
template <typename Result, typename ReadFn>
Result read_with_fallback(const std::string& path, ReadFn&& read) {
    Result out;
    if (!readable_file(path)) return out;
    for (int attempt = 0; attempt < 3; ++attempt) {
        out = Result{};
        std::unique_ptr<PrivateCopy> copy;
        SqliteDb db;
        if (attempt == 1) {
            copy = std::make_unique<PrivateCopy>(path);
            db = copy->open();
        } else {
            db = open_read_only(path, attempt == 2);
        }
        if (!db) continue;
        const int rc = read(db.get(), out);
        if (rc == SQLITE_DONE || !worth_retry(rc)) break;
    }
    return out;
}

}  // namespace

LiveContacts read_live_contacts(const std::string& path) {
    return read_with_fallback<LiveContacts>(path, [](sqlite3* db, LiveContacts& out) {
        // mimetypes(_id INTEGER PRIMARY KEY, mimetype TEXT NOT NULL)
        int id_col = -1, text_col = -1;
        int rc = each_row(
            db, "mimetypes",
            [&](sqlite3_stmt* st) {
                id_col = column_index(st, "_id");
                text_col = column_index(st, "mimetype");
                return id_col >= 0 && text_col >= 0;
            },
            [&](sqlite3_stmt* st) {
                out.mimetypes.push_back({static_cast<int32_t>(int_at(st, id_col)), text_at(st, text_col)});
            });
        if (rc != SQLITE_DONE && worth_retry(rc)) return rc;

        // data(_id, package_id, mimetype_id, raw_contact_id, [hash_id,] ..., data1, ...)
        int mime_col = -1, raw_col = -1, data1_col = -1;
        rc = each_row(
            db, "data",
            [&](sqlite3_stmt* st) {
                mime_col = column_index(st, "mimetype_id");
                raw_col = column_index(st, "raw_contact_id");
                data1_col = column_index(st, "data1");
                return mime_col >= 0 && raw_col >= 0;
            },
            [&](sqlite3_stmt* st) {
                if (is_null(st, raw_col)) return;  // a row that belongs to no contact
                out.rows.push_back({static_cast<int32_t>(int_at(st, mime_col)), int_at(st, raw_col),
                                    text_at(st, data1_col)});
            });
        return rc;
    });
}

std::vector<LiveMessage> read_live_messages(const std::string& path) {
    using Messages = std::vector<LiveMessage>;
    return read_with_fallback<Messages>(path, [](sqlite3* db, Messages& out) {
        // sms(_id, thread_id, address, person, date, date_sent, protocol, read,
        //     status, type, reply_path_present, subject, body, ...)
        int thread_col = -1, address_col = -1, date_col = -1, type_col = -1, body_col = -1;
        return each_row(
            db, "sms",
            [&](sqlite3_stmt* st) {
                thread_col = column_index(st, "thread_id");
                address_col = column_index(st, "address");
                date_col = column_index(st, "date");
                type_col = column_index(st, "type");
                body_col = column_index(st, "body");
                return thread_col >= 0 || address_col >= 0 || body_col >= 0;
            },
            [&](sqlite3_stmt* st) {
                LiveMessage m;
                m.thread_id = int_at(st, thread_col);
                m.address = text_at(st, address_col);
                if (!is_null(st, date_col)) m.date_text = sms_date_text(int_at(st, date_col));
                m.type = static_cast<int32_t>(int_at(st, type_col));
                m.body = text_at(st, body_col);
                out.push_back(std::move(m));
            });
    });
}

}  // namespace quen::records
