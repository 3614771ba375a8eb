#pragma once
// Small Android-shaped databases for the reader tests: the real column orders
// of contacts2.db `data` and mmssms.db `sms` (current and Android 4.4), built
// with SQLite.
#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace quen::records {

class TestDb {
public:
    explicit TestDb(const std::filesystem::path& path) {
        if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) throw std::runtime_error("open");
        // As on a phone: deleted cells keep their bytes (Debian's SQLite
        // wipes them by default).
        exec("PRAGMA secure_delete=OFF;");
    }
    ~TestDb() { close(); }
    TestDb(const TestDb&) = delete;
    TestDb& operator=(const TestDb&) = delete;
    void exec(const std::string& sql) {
        char* err = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            std::string msg = err ? err : "?";
            sqlite3_free(err);
            throw std::runtime_error(msg + " in " + sql);
        }
    }
    // Closes without folding the log into the main file.
    void close_keeping_wal() {
        if (!db_) return;
        sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        close();
    }
    void close() {
        if (db_) sqlite3_close(db_);
        db_ = nullptr;
    }
    sqlite3* get() { return db_; }

private:
    sqlite3* db_ = nullptr;
};

enum class Layout { Current, KitKat };

inline std::string data_table_sql(Layout layout) {
    std::string columns = "_id INTEGER PRIMARY KEY AUTOINCREMENT, package_id INTEGER, mimetype_id INTEGER NOT NULL, "
                       "raw_contact_id INTEGER NOT NULL, ";
    if (layout == Layout::Current) columns += "hash_id TEXT, ";
    columns += "is_read_only INTEGER NOT NULL DEFAULT 0, is_primary INTEGER NOT NULL DEFAULT 0, "
            "is_super_primary INTEGER NOT NULL DEFAULT 0, data_version INTEGER NOT NULL DEFAULT 0";
    for (int column = 1; column <= 15; ++column)
        columns += ", data" + std::to_string(column) + (column == 15 ? " BLOB" : " TEXT");
    for (int column = 1; column <= 4; ++column) columns += ", data_sync" + std::to_string(column) + " TEXT";
    return "CREATE TABLE data (" + columns + ");";
}

inline std::string sms_table_sql(Layout layout) {
    std::string columns = "_id INTEGER PRIMARY KEY, thread_id INTEGER, address TEXT, person INTEGER, date INTEGER, "
                       "date_sent INTEGER DEFAULT 0, protocol INTEGER, read INTEGER DEFAULT 0, "
                       "status INTEGER DEFAULT -1, type INTEGER, reply_path_present INTEGER, subject TEXT, "
                       "body TEXT, service_center TEXT, locked INTEGER DEFAULT 0, ";
    if (layout == Layout::Current) columns += "sub_id INTEGER DEFAULT -1, ";
    columns += "error_code INTEGER DEFAULT 0, ";
    if (layout == Layout::Current) columns += "creator TEXT, ";
    columns += "seen INTEGER DEFAULT 0";
    return "CREATE TABLE sms (" + columns + ");";
}

inline void make_contacts_schema(TestDb& db, Layout layout) {
    db.exec("CREATE TABLE mimetypes (_id INTEGER PRIMARY KEY AUTOINCREMENT, mimetype TEXT NOT NULL);"
            "CREATE TABLE raw_contacts (_id INTEGER PRIMARY KEY AUTOINCREMENT, account_id INTEGER, "
            "deleted INTEGER NOT NULL DEFAULT 0, display_name TEXT);" +
            data_table_sql(layout));
    db.exec("INSERT INTO mimetypes (_id, mimetype) VALUES "
            "(1,'vnd.android.cursor.item/email_v2'),(5,'vnd.android.cursor.item/phone_v2'),"
            "(7,'vnd.android.cursor.item/name'),(4,'vnd.android.cursor.item/organization'),"
            "(11,'vnd.android.cursor.item/note'),(12,'vnd.android.cursor.item/custom_thing');");
}

inline void make_sms_schema(TestDb& db, Layout layout) {
    db.exec("CREATE TABLE threads (_id INTEGER PRIMARY KEY AUTOINCREMENT, date INTEGER DEFAULT 0, "
            "message_count INTEGER DEFAULT 0, recipient_ids TEXT, snippet TEXT);" +
            sms_table_sql(layout));
}

inline void add_data(TestDb& db, int mimetype_id, long long raw_contact_id, const std::string& data1) {
    db.exec("INSERT OR IGNORE INTO raw_contacts (_id) VALUES (" + std::to_string(raw_contact_id) +
            "); INSERT INTO data (_id, mimetype_id, raw_contact_id, data1) VALUES ("
            // Row ids as on a used phone (thousands): two-byte varints, so a
            // freed cell's header keeps its first serial type.
            "(SELECT COALESCE(MAX(_id), 2999) + 1 FROM data), " +
            std::to_string(mimetype_id) + "," + std::to_string(raw_contact_id) + ",'" + data1 + "');");
}

inline void add_sms(TestDb& db, long long thread_id, const std::string& address, long long date_ms, int type,
                    const std::string& body) {
    db.exec("INSERT INTO sms (thread_id, address, date, type, body) VALUES (" + std::to_string(thread_id) + ",'" +
            address + "'," + std::to_string(date_ms) + "," + std::to_string(type) + ",'" + body + "');");
}

}  // namespace quen::records
