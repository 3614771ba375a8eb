#include "records/readers/database_open.h"

#include <stdlib.h>

#include <cstdio>
#include <string_view>

namespace quen::records {

namespace {

// The path as a "file:" URI: every byte outside the unreserved set is
// percent-encoded, so "?", "#" and "%" in folder names cannot be read as URI
// syntax.
std::string file_uri(const std::string& path, std::string_view query) {
    std::string uri = "file:";
    for (unsigned char byte : path) {
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '/' || byte == '-' || byte == '_' ||
                           byte == '.' || byte == '~';
        if (plain) {
            uri.push_back(static_cast<char>(byte));
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            uri.append(escaped);
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

// Copies `from` to `to` (a new file) and makes it 0600.
bool copy_private(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    if (!std::filesystem::copy_file(from, to, error)) return false;
    std::filesystem::permissions(to, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::replace, error);
    return !error;
}

}  // namespace

SqliteDb open_database_read_only(const std::string& path, bool immutable) {
    sqlite3* opened = nullptr;
    const std::string uri = file_uri(path, immutable ? "mode=ro&immutable=1" : "mode=ro");
    const int result = sqlite3_open_v2(uri.c_str(), &opened, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    SqliteDb db(opened);
    if (result != SQLITE_OK) return nullptr;
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    limit_db(db.get());
    return db;
}

PrivateCopy::PrivateCopy(const std::string& path) {
    std::error_code error;
    std::string pattern = (std::filesystem::temp_directory_path(error) / "quen-live-XXXXXX").string();
    if (error || !::mkdtemp(pattern.data())) return;
    dir_ = pattern;
    // The folder is the caller's alone (mkdtemp makes it 0700); the copies
    // are readable by the caller alone too, whatever the originals allow.
    const std::filesystem::path copy = dir_ / std::filesystem::path(path).filename();
    if (!copy_private(path, copy)) return;
    for (const char* companion : {"-wal", "-journal"}) {
        const std::string from = path + companion;
        if (std::filesystem::is_regular_file(from, error) && !copy_private(from, copy.string() + companion)) return;
    }
    path_ = copy.string();
}

PrivateCopy::~PrivateCopy() {
    std::error_code error;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, error);
}

SqliteDb PrivateCopy::open() const {
    if (path_.empty()) return nullptr;
    sqlite3* opened = nullptr;
    const std::string uri = file_uri(path_, "mode=rw");
    const int result = sqlite3_open_v2(uri.c_str(), &opened, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr);
    SqliteDb db(opened);
    if (result != SQLITE_OK) return nullptr;
    limit_db(db.get());
    return db;
}

bool worth_retry(int result) {
    switch (result & 0xff) {
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

}  // namespace quen::records
