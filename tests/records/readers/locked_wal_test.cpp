// A WAL database that another connection holds in exclusive locking mode, its
// newest rows only in the "-wal": SQLite's own read-only open is shut out, yet
// the readers must still give every row, the log's included, as live.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "records/readers/android_db_fixture.h"
#include "records/readers/android_tables.h"
#include "test_support/files.h"

namespace fs = std::filesystem;
using namespace quen;
using namespace quen::records;

namespace {

// Leaves the writer open with its exclusive lock: the older rows in the main
// file, `newest` only in the log.
template <typename MakeSchema, typename AddOld, typename AddNewest>
std::unique_ptr<TestDb> locked_wal_db(const fs::path& path, MakeSchema make_schema, AddOld add_old,
                                      AddNewest add_newest) {
    auto db = std::make_unique<TestDb>(path);
    db->exec("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;");
    make_schema(*db);
    add_old(*db);
    db->exec("PRAGMA wal_checkpoint(TRUNCATE);");
    add_newest(*db);
    // The lock is taken at the next access and kept until the connection closes.
    db->exec("PRAGMA locking_mode=EXCLUSIVE; BEGIN IMMEDIATE; COMMIT;");
    return db;
}

// Whether a plain read-only connection is shut out, as the reader's first try is.
bool shut_out(const fs::path& path, const char* table) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    const std::string sql = std::string("SELECT count(*) FROM ") + table;
    const int result = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return result == SQLITE_BUSY;
}

TEST(LiveReaderLockedWal, RowsOnlyInTheLogAreReadAsLive) {
    test::TempDir temp("quen-live-locked");
    const fs::path dir(temp.path());
    const fs::path contacts_path = dir / "contacts2.db";
    const fs::path sms_path = dir / "mmssms.db";

    const auto contacts = locked_wal_db(
        contacts_path, [](TestDb& db) { make_contacts_schema(db, Layout::Current); },
        [](TestDb& db) { add_data(db, 7, 3, "Ana Older"); },
        [](TestDb& db) {
            add_data(db, 7, 4, "Bo Newest");
            add_data(db, 5, 4, "+48 600 100 200");
        });
    const auto sms = locked_wal_db(
        sms_path, [](TestDb& db) { make_sms_schema(db, Layout::Current); },
        [](TestDb& db) { add_sms(db, 1, "100", 1600000000000LL, 1, "older"); },
        [](TestDb& db) { add_sms(db, 2, "200", 1600000009000LL, 1, "newest, only in the log"); });
    ASSERT_GT(fs::file_size(contacts_path.string() + "-wal"), 0u);
    ASSERT_GT(fs::file_size(sms_path.string() + "-wal"), 0u);
    ASSERT_TRUE(shut_out(contacts_path, "data")) << "the writer's lock does not hold";
    ASSERT_TRUE(shut_out(sms_path, "sms")) << "the writer's lock does not hold";

    const ContactsDatabase live = read_contacts_database(contacts_path.string());
    ASSERT_EQ(live.live.size(), 3u);
    EXPECT_EQ(live.live[0].data1, "Ana Older");
    EXPECT_EQ(live.live[1].raw_contact_id, 4);
    EXPECT_EQ(live.live[1].data1, "Bo Newest");
    EXPECT_EQ(live.live[2].data1, "+48 600 100 200");
    EXPECT_TRUE(live.deleted.empty());
    EXPECT_EQ(live.mimetypes.size(), 6u);

    const MessagesDatabase messages = read_messages_database(sms_path.string());
    ASSERT_EQ(messages.live.size(), 2u);
    EXPECT_EQ(messages.live[0].body, "older");
    EXPECT_EQ(messages.live[1].thread_id, 2);
    EXPECT_EQ(messages.live[1].body, "newest, only in the log");
    EXPECT_TRUE(messages.deleted.empty());
}

}  // namespace
