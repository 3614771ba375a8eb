// The live reader over Android-shaped databases: columns found by name in
// every Android layout, a "-wal" or hot journal seen but left as it was,
// hostile and missing files giving empty lists.
#include "records/readers/live_reader.h"

#include <gtest/gtest.h>

#include <fstream>

#include "records/readers/android_db_fixture.h"
#include "records/model/record_model.h"
#include "test_support/files.h"

namespace fs = std::filesystem;
using namespace quen;
using namespace quen::records;

namespace {

class LiveReaderLayouts : public ::testing::TestWithParam<Layout> {};

TEST_P(LiveReaderLayouts, ContactsFoundByColumnName) {
    test::TempDir temp("quen-live-contacts");
    const fs::path dir(temp.path());
    const auto path = dir / "contacts2.db";
    {
        TestDb db(path);
        make_contacts_schema(db, GetParam());
        add_data(db, 7, 3, "Ana Wójcik");
        add_data(db, 5, 3, "+48 600 100 200");
        add_data(db, 1, 9, "x@example.org");
        db.exec("INSERT INTO data (mimetype_id, raw_contact_id, data1) VALUES (5, 9, NULL);");
    }
    const LiveContacts live = read_live_contacts(path.string());
    ASSERT_EQ(live.mimetypes.size(), 6u);
    EXPECT_EQ(live.mimetypes[0].id, 1);
    EXPECT_EQ(live.mimetypes[0].text, "vnd.android.cursor.item/email_v2");
    ASSERT_EQ(live.rows.size(), 4u);
    EXPECT_EQ(live.rows[0].mimetype_id, 7);
    EXPECT_EQ(live.rows[0].raw_contact_id, 3);
    EXPECT_EQ(live.rows[0].data1, "Ana Wójcik");
    EXPECT_EQ(live.rows[1].data1, "+48 600 100 200");
    EXPECT_EQ(live.rows[2].mimetype_id, 1);
    EXPECT_EQ(live.rows[2].raw_contact_id, 9);
    EXPECT_EQ(live.rows[3].data1, "");  // NULL data1 reads as empty
}

TEST_P(LiveReaderLayouts, MessagesFoundByColumnName) {
    test::TempDir temp("quen-live-sms");
    const fs::path dir(temp.path());
    const auto path = dir / "mmssms.db";
    const long long when = 1700000123456LL;
    {
        TestDb db(path);
        make_sms_schema(db, GetParam());
        add_sms(db, 4, "+15550001", when, 1, "hello");
        add_sms(db, 4, "+15550001", when + 60000, 2, "reply");
        db.exec("INSERT INTO sms (thread_id, address, date, type, body) VALUES (5, NULL, NULL, 3, NULL);");
    }
    const auto messages = read_live_messages(path.string());
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].thread_id, 4);
    EXPECT_EQ(messages[0].address, "+15550001");
    EXPECT_EQ(messages[0].type, 1);
    EXPECT_EQ(messages[0].body, "hello");
    EXPECT_EQ(messages[0].date_text, sms_date_text(when));
    EXPECT_EQ(messages[0].date_text.size(), 19u);
    EXPECT_EQ(messages[1].type, 2);
    EXPECT_EQ(messages[1].body, "reply");
    EXPECT_NE(messages[1].date_text, messages[0].date_text);
    EXPECT_EQ(messages[2].thread_id, 5);
    EXPECT_EQ(messages[2].address, "");
    EXPECT_EQ(messages[2].date_text, "");  // NULL date: no time to show
    EXPECT_EQ(messages[2].body, "");
}

INSTANTIATE_TEST_SUITE_P(AndroidVersions, LiveReaderLayouts, ::testing::Values(Layout::Current, Layout::KitKat));

// A table whose columns stand in an order no Android version uses: a reader
// going by position would pick the wrong values.
TEST(LiveReader, ShuffledColumnsStillReadByName) {
    test::TempDir temp("quen-live-shuffled");
    const fs::path dir(temp.path());
    const auto contacts = dir / "contacts2.db";
    const auto sms = dir / "mmssms.db";
    {
        TestDb db(contacts);
        db.exec("CREATE TABLE mimetypes (mimetype TEXT, _id INTEGER PRIMARY KEY);"
                "INSERT INTO mimetypes VALUES ('vnd.android.cursor.item/name', 7);"
                "CREATE TABLE data (data1 TEXT, raw_contact_id INTEGER, data2 TEXT, mimetype_id INTEGER);"
                "INSERT INTO data VALUES ('Bo', 12, 'x', 7);");
        TestDb db2(sms);
        db2.exec("CREATE TABLE sms (body TEXT, type INTEGER, date INTEGER, address TEXT, thread_id INTEGER);"
                 "INSERT INTO sms VALUES ('hi', 1, 0, '555', 8);");
    }
    const auto live = read_live_contacts(contacts.string());
    ASSERT_EQ(live.mimetypes.size(), 1u);
    EXPECT_EQ(live.mimetypes[0].id, 7);
    ASSERT_EQ(live.rows.size(), 1u);
    EXPECT_EQ(live.rows[0].data1, "Bo");
    EXPECT_EQ(live.rows[0].raw_contact_id, 12);
    EXPECT_EQ(live.rows[0].mimetype_id, 7);
    const auto messages = read_live_messages(sms.string());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].body, "hi");
    EXPECT_EQ(messages[0].address, "555");
    EXPECT_EQ(messages[0].thread_id, 8);
    EXPECT_EQ(messages[0].type, 1);
}

// Copies a WAL database the way a pull from a running phone finds it: the
// writer still open, the newest rows only in the "-wal".
fs::path pulled_wal_copy(const fs::path& dir, bool with_shm) {
    const auto live = dir / "live";
    const auto work = dir / "work";
    fs::create_directories(live);
    fs::create_directories(work);
    TestDb db(live / "mmssms.db");
    db.exec("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;");
    make_sms_schema(db, Layout::Current);
    db.exec("PRAGMA wal_checkpoint(TRUNCATE);");  // the schema in the main file
    add_sms(db, 1, "100", 1600000000000LL, 1, "only in the log");
    add_sms(db, 1, "100", 1600000001000LL, 2, "also only in the log");
    fs::copy_file(live / "mmssms.db", work / "mmssms.db");
    fs::copy_file(live / "mmssms.db-wal", work / "mmssms.db-wal");
    if (with_shm) fs::copy_file(live / "mmssms.db-shm", work / "mmssms.db-shm");
    return work / "mmssms.db";
}

TEST(LiveReader, UncheckpointedWalIsSeenAndLeftUntouched) {
    for (int shm_case = 0; shm_case < 3; ++shm_case) {
        SCOPED_TRACE(shm_case);
        test::TempDir temp("quen-live-wal");
        const fs::path dir(temp.path());
        const fs::path db = pulled_wal_copy(dir, shm_case == 0);
        const fs::path wal = db.string() + "-wal";
        // Case 2: a "-shm" that cannot be opened at all.
        if (shm_case == 2) fs::create_directory(db.string() + "-shm");
        const std::string db_before = test::read_file(db);
        const std::string wal_before = test::read_file(wal);
        ASSERT_GT(wal_before.size(), 0u);

        const auto messages = read_live_messages(db.string());
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].body, "only in the log");
        EXPECT_EQ(messages[1].body, "also only in the log");

        // Reading again after the first connection closed: still the log.
        EXPECT_EQ(read_live_messages(db.string()).size(), 2u);
        ASSERT_TRUE(fs::exists(wal));
        EXPECT_EQ(test::read_file(db), db_before);
        EXPECT_EQ(test::read_file(wal), wal_before);
    }
}

// A copy taken in the middle of a write: the main file already holds some
// uncommitted pages, the "-journal" beside it the committed ones. A read-only
// open may not roll the journal back; the reader must still show the
// committed rows and leave both files as they are.
TEST(LiveReader, HotJournalShowsCommittedRowsAndStaysUntouched) {
    test::TempDir temp("quen-live-hot");
    const fs::path dir(temp.path());
    fs::create_directories(dir / "live");
    fs::create_directories(dir / "copy");
    {
        TestDb db(dir / "live" / "mmssms.db");
        db.exec("PRAGMA journal_mode=DELETE; PRAGMA cache_size=1;");
        make_sms_schema(db, Layout::Current);
        db.exec("BEGIN;");
        for (int row = 0; row < 200; ++row) add_sms(db, 1, "100", 1000LL * row, 1, "committed " + std::string(300, 'c'));
        db.exec("COMMIT; BEGIN; UPDATE sms SET body = 'uncommitted' || body; DELETE FROM sms WHERE _id > 50;");
        for (const char* name : {"mmssms.db", "mmssms.db-journal"})
            fs::copy_file(dir / "live" / name, dir / "copy" / name);
        db.exec("ROLLBACK;");
    }
    const auto path = dir / "copy" / "mmssms.db";
    const std::string db_before = test::read_file(path);
    const std::string journal_before = test::read_file(path.string() + "-journal");
    ASSERT_GT(journal_before.size(), 512u);

    const auto messages = read_live_messages(path.string());
    ASSERT_EQ(messages.size(), 200u);
    for (const auto& message : messages) EXPECT_EQ(message.body.rfind("committed ", 0), 0u);
    EXPECT_EQ(test::read_file(path), db_before);
    EXPECT_EQ(test::read_file(path.string() + "-journal"), journal_before);
}

TEST(LiveReader, MissingGarbageAndForeignFilesGiveEmptyLists) {
    test::TempDir temp("quen-live-bad");
    const fs::path dir(temp.path());
    const auto garbage = dir / "garbage.db";
    {
        std::ofstream out(garbage, std::ios::binary);
        for (int byte = 0; byte < 5000; ++byte) out.put(static_cast<char>(byte * 37));
    }
    const auto empty = dir / "empty.db";
    { std::ofstream out(empty); }
    // A real database without the expected tables.
    const auto other = dir / "other.db";
    {
        TestDb db(other);
        db.exec("CREATE TABLE notes (x TEXT); INSERT INTO notes VALUES ('a');");
    }
    // Views in place of the tables: a recursive one would never end.
    const auto views = dir / "views.db";
    {
        TestDb db(views);
        db.exec("CREATE VIEW sms AS WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n) "
                "SELECT x AS thread_id, 'a' AS address, x AS date, 1 AS type, 'b' AS body FROM n;"
                "CREATE VIEW data AS WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n) "
                "SELECT 5 AS mimetype_id, x AS raw_contact_id, 'd' AS data1 FROM n;"
                "CREATE TABLE mimetypes (_id INTEGER PRIMARY KEY, mimetype TEXT);");
    }
    // Truncated database: the header promises pages that are not there.
    const auto cut = dir / "cut.db";
    {
        TestDb db(dir / "full.db");
        make_sms_schema(db, Layout::Current);
        db.exec("BEGIN;");
        for (int row = 0; row < 300; ++row)
            add_sms(db, row, "addr" + std::to_string(row), 1000LL * row, 1, std::string(200, 'b'));
        db.exec("COMMIT;");
    }
    const std::string full = test::read_file(dir / "full.db");
    {
        std::ofstream out(cut, std::ios::binary);
        out.write(full.data(), static_cast<std::streamsize>(full.size() / 2));
    }
    for (const fs::path& path : {dir / "missing.db", garbage, empty, other, views, dir, fs::path()}) {
        SCOPED_TRACE(path.string());
        const auto live = read_live_contacts(path.string());
        EXPECT_TRUE(live.mimetypes.empty());
        EXPECT_TRUE(live.rows.empty());
        EXPECT_TRUE(read_live_messages(path.string()).empty());
    }
    EXPECT_FALSE(fs::exists(dir / "missing.db"));  // a read never creates the file
    EXPECT_LT(read_live_messages(cut.string()).size(), 300u);  // no crash, at most what was readable
}

TEST(LiveReader, PathWithUriSyntaxCharacters) {
    test::TempDir temp("quen-live-uri");
    const auto dir = fs::path(temp.path()) / "a?b#c%20d";
    fs::create_directories(dir);
    const auto path = dir / "mmssms.db";
    {
        TestDb db(path);
        make_sms_schema(db, Layout::KitKat);
        add_sms(db, 2, "7", 0, 1, "x");
    }
    EXPECT_EQ(read_live_messages(path.string()).size(), 1u);
}

}  // namespace
