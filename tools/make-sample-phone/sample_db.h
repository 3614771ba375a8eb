#pragma once
// A thin SQLite connection for the sample generator: statements run or fail
// with a message, no exceptions.
#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quen::sample_phone {

using SqlValue = std::variant<std::monostate, int64_t, std::string>;

class SampleDb {
public:
    SampleDb() = default;
    ~SampleDb();
    SampleDb(const SampleDb&) = delete;
    SampleDb& operator=(const SampleDb&) = delete;

    bool open(const std::string& path);
    void close();
    bool exec(const std::string& sql);
    bool run(const std::string& sql, const std::vector<SqlValue>& params);
    sqlite3* handle() const { return db_; }
    const std::string& error() const { return error_; }

private:
    sqlite3* db_ = nullptr;
    std::string error_;
};

inline SqlValue sql_text(std::string text) { return SqlValue(std::move(text)); }
inline SqlValue sql_int(int64_t number) { return SqlValue(number); }
inline SqlValue sql_null() { return SqlValue(std::monostate{}); }
inline SqlValue sql_opt(const std::optional<int64_t>& number) { return number ? SqlValue(*number) : sql_null(); }

}  // namespace quen::sample_phone
