// The recovery engine on real databases in the states a pulled phone leaves
// them in: the log and journal taken into account and left exactly as they
// were, what is live shown live (and only that), older versions of edited
// rows shown deleted, and a lost schema page made up for.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <map>
#include <set>

#include "records/recovery/recover.h"
#include "sample_phone.h"
#include "test_support/files.h"

namespace fs = std::filesystem;

namespace quen::records::recovery {
namespace {

void exec(sqlite3* db, const std::string& sql) { ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql; }

RecoveryResult recover(const std::string& path) {
    RecoveryResult result;
    std::string error;
    EXPECT_TRUE(recover_database(files_beside(path), {}, result, error)) << error;
    return result;
}

// Text values of the records of `table`, live or deleted.
std::multiset<std::string> texts(const RecoveryResult& result, const char* table, bool deleted, size_t column) {
    std::multiset<std::string> out;
    const int index = result.schema.find_table(table);
    for (const auto& record : result.records)
        if (record.table == index && record.deleted == deleted && record.values.size() > column &&
            record.values[column] && record.values[column]->type == sqlite::ValueType::Text)
            out.insert(record.values[column]->bytes);
    return out;
}

std::map<std::string, std::string> folder_bytes(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) files[entry.path().filename().string()] = test::read_file(entry.path());
    return files;
}

TEST(RecoveryEngine, LogRowsAreLiveOlderVersionsDeletedAndTheFilesUntouched) {
    test::TempDir temp("quen-engine-wal");
    const fs::path live_dir = fs::path(temp.path()) / "live", copy_dir = fs::path(temp.path()) / "copy";
    fs::create_directories(live_dir);
    fs::create_directories(copy_dir);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((live_dir / "m.db").c_str(), &db), SQLITE_OK);
    exec(db, "PRAGMA secure_delete=OFF; PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;"
             "CREATE TABLE m (id INTEGER PRIMARY KEY, body TEXT, n INTEGER);");
    exec(db, "BEGIN");
    for (int row = 1; row <= 60; ++row)
        exec(db, "INSERT INTO m (body, n) VALUES ('message number " + std::to_string(row) + " in the file', " +
                     std::to_string(row * 1000) + ")");
    exec(db, "COMMIT; PRAGMA wal_checkpoint(TRUNCATE);");
    // After the checkpoint: an edit, a deletion and a new row, in the log only.
    exec(db, "UPDATE m SET body = 'message number 7, rewritten at length in the log' WHERE id = 7;"
             "DELETE FROM m WHERE id = 9; INSERT INTO m (body, n) VALUES ('only in the log', 1);");
    for (const char* name : {"m.db", "m.db-wal", "m.db-shm"}) fs::copy_file(live_dir / name, copy_dir / name);
    sqlite3_close(db);

    const auto before = folder_bytes(copy_dir);
    const RecoveryResult result = recover((copy_dir / "m.db").string());
    EXPECT_EQ(folder_bytes(copy_dir), before);  // nothing created, changed or deleted beside the evidence

    const auto live = texts(result, "m", false, 1);
    EXPECT_EQ(live.size(), 60u);
    EXPECT_TRUE(live.count("only in the log"));
    EXPECT_TRUE(live.count("message number 7, rewritten at length in the log"));
    EXPECT_FALSE(live.count("message number 9 in the file"));
    const auto deleted = texts(result, "m", true, 1);
    EXPECT_TRUE(deleted.count("message number 9 in the file"));
    EXPECT_TRUE(deleted.count("message number 7 in the file"));  // the edit's older version
    for (const auto& text : deleted) EXPECT_FALSE(live.count(text)) << "live row shown deleted: " << text;
    // The deleted row is found in the main file's older copy of its page,
    // with its rowid.
    for (const auto& record : result.records)
        if (record.deleted && record.values[1] && record.values[1]->bytes == "message number 9 in the file") {
            ASSERT_TRUE(record.rowid);
            EXPECT_EQ(*record.rowid, 9);
            ASSERT_TRUE(record.values[0]);
            EXPECT_EQ(record.values[0]->integer, 9);
        }
}

// A copy taken in the middle of a write: the main file holds pages of a
// transaction that never committed, the "-journal" beside it the committed
// ones. The live rows are the committed ones; the uncommitted ones are no
// live rows.
TEST(RecoveryEngine, HotJournalGivesTheCommittedRows) {
    test::TempDir temp("quen-engine-hot");
    const fs::path dir(temp.path());
    fs::create_directories(dir / "live");
    fs::create_directories(dir / "copy");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir / "live" / "s.db").c_str(), &db), SQLITE_OK);
    exec(db, "PRAGMA journal_mode=DELETE; PRAGMA cache_size=1; CREATE TABLE s (v TEXT);");
    exec(db, "BEGIN");
    for (int row = 0; row < 200; ++row) exec(db, "INSERT INTO s VALUES ('committed " + std::string(300, 'c') + "')");
    exec(db, "COMMIT; BEGIN; UPDATE s SET v = 'uncommitted' || v; DELETE FROM s WHERE rowid > 50;");
    for (const char* name : {"s.db", "s.db-journal"}) fs::copy_file(dir / "live" / name, dir / "copy" / name);
    exec(db, "ROLLBACK;");
    sqlite3_close(db);

    const auto before = folder_bytes(dir / "copy");
    const RecoveryResult result = recover((dir / "copy" / "s.db").string());
    EXPECT_EQ(folder_bytes(dir / "copy"), before);
    const auto live = texts(result, "s", false, 0);
    EXPECT_EQ(live.size(), 200u);
    for (const auto& text : live) EXPECT_EQ(text.rfind("committed ", 0), 0u);
}

// Page 1, with the schema, zeroed: the Android schemas kept as data stand
// in, and each table's tree is found by what its cells hold.
TEST(RecoveryEngine, LostSchemaPageFallsBackToAndroidSchemas) {
    test::TempDir temp("quen-engine-fallback");
    std::string error;
    quen::sample_phone::Options options;
    options.journal = "delete";
    const auto sample = quen::sample_phone::make_sample_phone(temp.path(), options, error);
    ASSERT_TRUE(sample) << error;
    std::string bytes = test::read_file(sample->messages_path);
    std::fill(bytes.begin(), bytes.begin() + 4096, '\0');
    const fs::path damaged = fs::path(temp.path()) / "damaged" / "mmssms.db";
    test::write_file(damaged, bytes);

    const RecoveryResult result = recover(damaged.string());
    EXPECT_FALSE(result.notes.empty());
    ASSERT_GE(result.schema.find_table("sms"), 0);
    const auto live = texts(result, "sms", false, 12);
    size_t found = 0;
    for (const auto& message : sample->live_messages) found += live.count(message.body) > 0;
    EXPECT_GE(found, sample->live_messages.size() * 9 / 10);
    const auto deleted = texts(result, "sms", true, 12);
    size_t recovered = 0;
    for (const auto& message : sample->deleted_messages) recovered += deleted.count(message.body) > 0;
    EXPECT_GE(recovered, sample->deleted_messages.size() * 9 / 10);
}

}  // namespace
}  // namespace quen::records::recovery
