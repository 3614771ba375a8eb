#include "sim_content.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace phone_sim {
namespace {

const char* kTelephonyFolders[] = {"/data/user_de/0/com.android.providers.telephony/databases",
                                   "/data/data/com.android.providers.telephony/databases",
                                   "/data/user/0/com.android.providers.telephony/databases"};
const char* kContactsFolders[] = {"/data/data/com.android.providers.contacts/databases",
                                  "/data/user/0/com.android.providers.contacts/databases"};

// A private copy of the database and its log, read and removed: the phone's
// own files stay exactly as they are (SQLite would create a "-shm" beside a
// log it reads).
class DatabaseCopy {
public:
    DatabaseCopy(const Folder& folder, const char* const* folders, std::size_t count, const std::string& name) {
        for (std::size_t i = 0; i < count && path_.empty(); ++i) {
            const std::string local = folder.file(std::string(folders[i]) + "/" + name);
            std::error_code ec;
            if (!fs::is_regular_file(local, ec)) continue;
            std::string pattern = (fs::temp_directory_path() / "phone-sim-XXXXXX").string();
            if (!::mkdtemp(pattern.data())) return;
            dir_ = pattern;
            path_ = dir_ + "/" + name;
            fs::copy_file(local, path_, ec);
            for (const char* companion : {"-wal", "-journal"})
                if (fs::is_regular_file(local + companion, ec)) fs::copy_file(local + companion, path_ + companion, ec);
        }
    }
    ~DatabaseCopy() {
        std::error_code ec;
        if (!dir_.empty()) fs::remove_all(dir_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string dir_;
    std::string path_;
};

bool identifier(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name)
        if (!(c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

Output provider_error(const std::string& provider, const std::string& why) {
    return Output{"", "Error while accessing provider:" + provider + "\n" + why + "\n", 1};
}

}  // namespace

Output content_command(const Folder& folder, const std::vector<std::string>& w) {
    std::string uri, projection, sort;
    if (w.size() < 2 || w[1] != "query") return Output{"", "usage: content query --uri <URI>\n", 1};
    for (std::size_t i = 2; i + 1 < w.size(); i += 2) {
        if (w[i] == "--uri") uri = w[i + 1];
        else if (w[i] == "--projection") projection = w[i + 1];
        else if (w[i] == "--sort") sort = w[i + 1];
        else return Output{"", "Unsupported argument: " + w[i] + "\n", 1};
    }
    std::unique_ptr<DatabaseCopy> db;
    std::string from;
    std::string provider;
    if (uri == "content://sms") {
        provider = "sms";
        db = std::make_unique<DatabaseCopy>(folder, kTelephonyFolders, 3, "mmssms.db");
        from = "sms";
    } else if (uri == "content://com.android.contacts/data") {
        provider = "com.android.contacts";
        db = std::make_unique<DatabaseCopy>(folder, kContactsFolders, 2, "contacts2.db");
        from = "(SELECT data.*, mimetypes.mimetype AS mimetype FROM data JOIN mimetypes ON "
               "data.mimetype_id = mimetypes._id JOIN raw_contacts ON raw_contacts._id = data.raw_contact_id "
               "WHERE raw_contacts.deleted = 0)";
    } else {
        return provider_error(uri, "java.lang.IllegalArgumentException: Unknown URI " + uri);
    }
    if (folder.has("content-denied"))
        return provider_error(provider, "java.lang.SecurityException: Permission Denial: reading " + uri +
                                            " from pid=4242, uid=2000 requires the read permission");
    if (db->path().empty()) return provider_error(provider, "java.lang.IllegalArgumentException: Unknown URI " + uri);

    std::vector<std::string> columns = split(projection.empty() ? std::string("*") : projection, ':');
    std::string select;
    for (const auto& column : columns) {
        if (column != "*" && !identifier(column)) return provider_error(provider, "bad projection " + column);
        select += (select.empty() ? "" : ", ") + column;
    }
    if (!sort.empty() && !identifier(sort)) return provider_error(provider, "bad sort order " + sort);
    const std::string sql = "SELECT " + select + " FROM " + from + (sort.empty() ? "" : " ORDER BY " + sort);

    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(db->path().c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(handle);
        return provider_error(provider, "android.database.sqlite.SQLiteException: cannot open");
    }
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> open(handle, sqlite3_close);
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &query, nullptr) != SQLITE_OK)
        return provider_error(provider, std::string("android.database.sqlite.SQLiteException: ") + sqlite3_errmsg(handle));
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> prepared(query, sqlite3_finalize);
    Output o;
    long row = 0;
    while (sqlite3_step(query) == SQLITE_ROW) {
        std::string line = "Row: " + std::to_string(row++) + " ";
        for (int c = 0; c < sqlite3_column_count(query); ++c) {
            if (c) line += ", ";
            line += std::string(sqlite3_column_name(query, c)) + "=";
            switch (sqlite3_column_type(query, c)) {
                case SQLITE_NULL: line += "NULL"; break;
                case SQLITE_INTEGER: line += std::to_string(sqlite3_column_int64(query, c)); break;
                case SQLITE_BLOB: line += "BLOB"; break;
                default:
                    line.append(reinterpret_cast<const char*>(sqlite3_column_text(query, c)),
                                static_cast<std::size_t>(sqlite3_column_bytes(query, c)));
            }
        }
        o.out += line + "\n";
    }
    if (row == 0) o.out = "No result found.\n";
    return o;
}

}  // namespace phone_sim
