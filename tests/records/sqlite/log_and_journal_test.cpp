// The write-ahead log and the rollback journal as SQLite leaves them: which
// frames are the database, which are older; which journal pages are there,
// whether the journal is hot, and a journal whose header a commit zeroed.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <set>

#include "records/sqlite/rollback_journal.h"
#include "records/sqlite/wal_log.h"
#include "test_support/files.h"

namespace fs = std::filesystem;

namespace quen::records::sqlite {
namespace {

void exec(sqlite3* db, const std::string& sql) { ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql; }

void fill(sqlite3* db, int rows) {
    exec(db, "BEGIN");
    for (int row = 0; row < rows; ++row)
        exec(db, "INSERT INTO t (v) VALUES ('" + std::string(200, static_cast<char>('a' + row % 26)) + "')");
    exec(db, "COMMIT");
}

size_t count(const WalLog& log, FrameState state) {
    size_t n = 0;
    for (const auto& frame : log.frames) n += frame.state == state;
    return n;
}

TEST(WalLog, CurrentFramesUpToTheLastGoodCommitAndEarlierLogsBehind) {
    test::TempDir temp("quen-wal");
    const fs::path path = fs::path(temp.path()) / "w.db";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    exec(db, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; CREATE TABLE t (v TEXT);");
    fill(db, 100);
    fill(db, 100);
    auto bytes = test::read_bytes(path.string() + "-wal");
    WalLog log = read_wal_log(bytes, 4096);
    ASSERT_GT(log.frames.size(), 4u);
    EXPECT_EQ(count(log, FrameState::Current), log.frames.size());
    EXPECT_GT(log.committed_page_count, 1u);

    // A damaged frame of the second transaction: the database ends with the
    // first transaction's commit; the second's frames are no longer part of it.
    const size_t damaged = log.frames.size() - 2;
    bytes[log.frames[damaged].data_offset + 100] ^= 0xFF;
    log = read_wal_log(bytes, 4096);
    EXPECT_EQ(log.frames.front().state, FrameState::Current);
    EXPECT_GT(count(log, FrameState::Current), 0u);
    EXPECT_LT(count(log, FrameState::Current), damaged);
    for (size_t index = damaged; index < log.frames.size(); ++index)
        EXPECT_EQ(log.frames[index].state, FrameState::Uncommitted);

    // The log restarts after a checkpoint: new salts over its first frames,
    // the rest stays from the earlier log.
    exec(db, "PRAGMA wal_checkpoint(PASSIVE); DELETE FROM t WHERE rowid = 1;");
    log = read_wal_log(test::read_bytes(path.string() + "-wal"), 4096);
    EXPECT_GT(count(log, FrameState::Current), 0u);
    EXPECT_GT(count(log, FrameState::Earlier), 0u);
    EXPECT_EQ(log.frames.front().state, FrameState::Current);
    // A log of another page size, or garbage, is read with every frame earlier.
    EXPECT_EQ(count(read_wal_log(test::read_bytes(path.string() + "-wal"), 1024), FrameState::Current), 0u);
    EXPECT_TRUE(read_wal_log(std::vector<uint8_t>(31, 0), 4096).frames.empty());
    sqlite3_close(db);
}

TEST(RollbackJournal, HotJournalAndOneWhoseHeaderACommitZeroed) {
    test::TempDir temp("quen-journal");
    const fs::path dir(temp.path());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir / "j.db").c_str(), &db), SQLITE_OK);
    exec(db, "PRAGMA journal_mode=PERSIST; PRAGMA cache_size=1; CREATE TABLE t (v TEXT);");
    fill(db, 200);
    // A transaction under way: its journal is hot, its pages are the committed state.
    exec(db, "BEGIN; DELETE FROM t WHERE rowid % 2 = 0;");
    fs::copy_file(dir / "j.db-journal", dir / "hot-journal");
    exec(db, "COMMIT;");
    const RollbackJournal hot = read_rollback_journal(test::read_bytes(dir / "hot-journal"), 4096, 1000);
    EXPECT_TRUE(hot.hot);
    EXPECT_GT(hot.pages_before, 1u);
    ASSERT_FALSE(hot.pages.empty());
    for (const auto& page : hot.pages) EXPECT_LE(page.page, hot.pages_before);

    // After the commit (PERSIST) the header is zeroed: not hot, its pages still read.
    const auto persisted = test::read_bytes(dir / "j.db-journal");
    ASSERT_GE(persisted.size(), 28u);
    EXPECT_EQ(persisted[0], 0);
    const RollbackJournal left = read_rollback_journal(persisted, 4096, 1000);
    EXPECT_FALSE(left.hot);
    // Every page the hot journal had (the journal is written in segments,
    // each with a header of its own that the commit does not zero), and
    // records an earlier transaction left between them.
    std::set<uint32_t> found;
    for (const auto& page : left.pages) found.insert(page.page);
    for (const auto& page : hot.pages) EXPECT_TRUE(found.count(page.page)) << page.page;
    // Garbage gives nothing, quickly.
    std::vector<uint8_t> garbage(1 << 20);
    for (size_t at = 0; at < garbage.size(); ++at) garbage[at] = static_cast<uint8_t>(at * 2654435761u >> 13);
    EXPECT_LT(read_rollback_journal(garbage, 4096, 10).pages.size(), 3u);
    sqlite3_close(db);
}

}  // namespace
}  // namespace quen::records::sqlite
