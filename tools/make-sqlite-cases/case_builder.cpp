#include "case_builder.h"

#include <filesystem>

namespace quen::sqlite_cases {

namespace fs = std::filesystem;

namespace {

constexpr const char* kWords[] = {
    "the", "meeting", "moved", "to", "room", "4.12", "see", "you", "tomorrow", "thanks", "call", "me",
    "Привет", "как", "дела", "今日は", "少し", "遅れます", "¿dónde", "estás?", "Grüße", "aus", "Köln",
    "🎉", "👍", "γεια", "σου", "שלום", "مرحبا", "नमस्ते", "안녕하세요", "Łódź", "Zoë", "naïve", "café"};

std::vector<std::string> user_tables(sqlite3* db) {
    std::vector<std::string> names;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
                               "ESCAPE '\\' AND sql NOT LIKE 'CREATE VIRTUAL%'",
                           -1, &statement, nullptr) != SQLITE_OK)
        return names;
    while (sqlite3_step(statement) == SQLITE_ROW)
        names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return names;
}

std::string encoding_of(sqlite3* db) {
    std::string encoding = "UTF-8";
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA encoding", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        encoding = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    return encoding;
}

}  // namespace

std::string Dice::text(size_t min, size_t max) {
    const size_t target = min + below(static_cast<uint32_t>(max > min ? max - min : 1));
    std::string text;
    while (text.size() < target) {
        std::string word = kWords[below(std::size(kWords))];
        if (!text.empty() && text.size() + 1 + word.size() > max) break;
        if (!text.empty()) text += ' ';
        text += word;
    }
    return text;
}

std::string Dice::token(size_t length) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string token;
    for (size_t index = 0; index < length; ++index) token += kLetters[below(36)];
    return token;
}

CaseBuilder::CaseBuilder(std::string out_dir, std::string family, std::string name)
    : out_dir_(std::move(out_dir)), family_(std::move(family)), name_(std::move(name)),
      dice_(static_cast<uint32_t>(std::hash<std::string>{}(name_))) {}

bool CaseBuilder::begin(const std::string& before_schema, const std::string& schema) {
    std::error_code ec;
    side_ = (fs::path(out_dir_) / (".build-" + name_)).string();
    fs::remove_all(side_, ec);
    fs::create_directories(side_, ec);
    if (!db_.open((fs::path(side_) / (name_ + ".db")).string()) || !db_.exec(before_schema) || !db_.exec(schema))
        return error_ = db_.error(), false;
    tables_ = user_tables(db_.handle());
    return note_all();
}

bool CaseBuilder::note_all() {
    tables_ = user_tables(db_.handle());
    for (const std::string& table : tables_)
        if (!db_.note(table)) return error_ = db_.error(), false;
    return true;
}

bool CaseBuilder::step(const std::string& sql, const std::vector<Value>& params) {
    if (!db_.run(sql, params, {})) return error_ = db_.error(), false;
    return note_all();
}

bool CaseBuilder::steps(const std::string& sql) {
    if (!db_.exec(sql)) return error_ = db_.error(), false;
    return note_all();
}

bool CaseBuilder::finish(Finish how) {
    AnswerKey key(family_, name_);
    const std::string encoding = encoding_of(db_.handle());
    const fs::path built = fs::path(side_) / (name_ + ".db");
    const fs::path placed = fs::path(out_dir_) / (name_ + ".db");
    if (!note_all()) return false;
    key.capture(db_);
    if (how == Finish::KeepJournal) {
        // Pages of the unfinished transaction reach the file only when the
        // cache is too small to hold them.
        if (!db_.exec("PRAGMA cache_size=1; BEGIN;") || !db_.exec(unfinished)) return error_ = db_.error(), false;
        for (const std::string& table : tables_) db_.note(table);
        key.capture(db_, true);
    }
    auto place = [&]() -> bool {
        std::error_code ec;
        for (const char* suffix : {"", "-wal", "-journal"}) {
            const fs::path target = placed.string() + suffix;
            fs::remove(target, ec);
            if (fs::exists(built.string() + suffix)) {
                fs::copy_file(built.string() + suffix, target, ec);
                if (ec) return error_ = "cannot write " + target.string(), false;
            }
        }
        return true;
    };
    bool ok = true;
    if (how == Finish::Close) {
        db_.close();
        ok = place();
    } else {
        ok = place();  // while the connection still holds the log or the transaction
        if (how == Finish::KeepJournal) db_.exec("ROLLBACK;");
        db_.close(true);
    }
    std::error_code ec;
    fs::remove_all(side_, ec);
    if (!ok) return false;
    CaseFiles files;
    files.database = placed.string();
    if (fs::exists(placed.string() + "-wal")) files.wal = placed.string() + "-wal";
    if (fs::exists(placed.string() + "-journal")) files.journal = placed.string() + "-journal";
    if (!key.write((fs::path(out_dir_) / (name_ + ".key.json")).string(), files, encoding))
        return error_ = "cannot write the answer key", false;
    surviving_ = key.surviving();
    return true;
}

}  // namespace quen::sqlite_cases
