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
    for (size_t i = 0; i < params.size(); ++i) {
        const int at = static_cast<int>(i) + 1;
        const SqlValue& p = params[i];
        if (auto v = std::get_if<int64_t>(&p)) sqlite3_bind_int64(stmt, at, *v);
        else if (auto s = std::get_if<std::string>(&p))
            sqlite3_bind_text(stmt, at, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
        else sqlite3_bind_null(stmt, at);
    }
    int rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        error_ = std::string(sqlite3_errmsg(db_)) + " in: " + sql.substr(0, 120);
        return false;
    }
    return true;
}

}  // namespace quen::sample_phone
