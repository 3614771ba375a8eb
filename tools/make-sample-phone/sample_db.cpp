#include "sample_db.h"

namespace quen::sample_phone {

SampleDb::~SampleDb() { close(); }

bool SampleDb::open(const std::string& path) {
    close();
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        error_ = db_ ? sqlite3_errmsg(db_) : "cannot open " + path;
        close();
        return false;
    }
    return true;
}

void SampleDb::close() {
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
}

bool SampleDb::exec(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        error_ = std::string(err ? err : "?") + " in: " + sql.substr(0, 120);
        sqlite3_free(err);
        return false;
    }
    return true;
}

bool SampleDb::run(const std::string& sql, const std::vector<SqlValue>& params) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        error_ = std::string(sqlite3_errmsg(db_)) + " in: " + sql.substr(0, 120);
        return false;
    }
    for (size_t index = 0; index < params.size(); ++index) {
        const int at = static_cast<int>(index) + 1;  // parameters count from 1
        const SqlValue& param = params[index];
        if (auto number = std::get_if<int64_t>(&param)) sqlite3_bind_int64(stmt, at, *number);
        else if (auto text = std::get_if<std::string>(&param))
            sqlite3_bind_text(stmt, at, text->data(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
        else sqlite3_bind_null(stmt, at);
    }
    const int result = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    if (result != SQLITE_DONE && result != SQLITE_ROW) {
        error_ = std::string(sqlite3_errmsg(db_)) + " in: " + sql.substr(0, 120);
        return false;
    }
    return true;
}

}  // namespace quen::sample_phone
