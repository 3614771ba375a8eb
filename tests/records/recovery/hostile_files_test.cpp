// Damaged and hostile files: loops in the freelist, in b-trees and in
// overflow chains, counts and pointers that claim more than the page holds,
// logs and journals of garbage, and pages flipped at random. The recovery
// must end, quickly, with what it can still read, and never read out of
// bounds (the sanitizer build checks that).
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <random>

#include "records/recovery/recover.h"
#include "records/sqlite/sqlite_format.h"
#include "test_support/files.h"

namespace fs = std::filesystem;

namespace quen::records::recovery {
namespace {

constexpr uint32_t kPage = 1024;

void exec(sqlite3* db, const std::string& sql) { ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql; }

// A database of several levels, with overflow rows, freeblocks and freelist
// pages: every structure the corruptions below break.
std::string sample_database(const fs::path& dir) {
    const fs::path path = dir / "base.db";
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    exec(db, "PRAGMA page_size=1024; PRAGMA secure_delete=OFF; PRAGMA journal_mode=DELETE;"
             "CREATE TABLE t (id INTEGER PRIMARY KEY, v TEXT, n INTEGER); CREATE INDEX tv ON t(v); BEGIN;");
    for (int row = 1; row <= 1500; ++row)
        exec(db, "INSERT INTO t (v, n) VALUES ('" + std::string(row % 50 == 0 ? 3000 : 30, static_cast<char>('a' + row % 26)) +
                     std::to_string(row) + "', " + std::to_string(row) + ")");
    exec(db, "COMMIT; DELETE FROM t WHERE id % 3 = 0; DELETE FROM t WHERE id BETWEEN 700 AND 900;");
    sqlite3_close(db);
    return test::read_file(path);
}

void put32(std::string& file, size_t at, uint32_t value) {
    for (int shift = 24, index = 0; shift >= 0; shift -= 8, ++index) file[at + static_cast<size_t>(index)] = static_cast<char>(value >> shift);
}

uint32_t get32(const std::string& file, size_t at) {
    uint32_t value = 0;
    for (int index = 0; index < 4; ++index) value = (value << 8) | static_cast<uint8_t>(file[at + static_cast<size_t>(index)]);
    return value;
}

size_t recover_file(const fs::path& path, const std::string& bytes) {
    test::write_file(path, bytes);
    RecoveryResult result;
    std::string error;
    recover_database(files_beside(path.string()), {}, result, error);
    return result.records.size();
}

TEST(HostileFiles, LoopsAndImpossibleCountsEndTheSearch) {
    test::TempDir temp("quen-hostile");
    const fs::path dir(temp.path());
    const std::string base = sample_database(dir);
    ASSERT_GT(base.size(), 50u * kPage);
    const size_t whole = recover_file(dir / "whole.db", base);
    EXPECT_GT(whole, 1000u);
    const uint32_t pages = static_cast<uint32_t>(base.size() / kPage);

    // The freelist's first trunk names itself as the next one, and claims
    // more leaves than a page holds.
    std::string looped = base;
    const uint32_t trunk = get32(base, sqlite::kFirstTrunkOffset);
    ASSERT_NE(trunk, 0u);
    put32(looped, size_t{trunk - 1} * kPage, trunk);
    put32(looped, size_t{trunk - 1} * kPage + 4, 0xFFFFFFFF);
    EXPECT_GT(recover_file(dir / "freelist.db", looped), 0u);

    // Every interior page points back at the table's root, and every page's
    // cell count and content start are at their largest.
    std::string cyclic = base, counted = base;
    for (uint32_t page = 2; page <= pages; ++page) {
        const size_t at = size_t{page - 1} * kPage;
        if (static_cast<uint8_t>(base[at]) == 5) put32(cyclic, at + 8, 2);
        counted[at + 3] = counted[at + 4] = static_cast<char>(0xFF);
        counted[at + 5] = counted[at + 6] = 0;
    }
    EXPECT_GT(recover_file(dir / "cyclic.db", cyclic), 0u);
    recover_file(dir / "counted.db", counted);

    // Every overflow chain (and every page's first four bytes) points at
    // itself.
    std::string chained = base;
    for (uint32_t page = 2; page <= pages; ++page) put32(chained, size_t{page - 1} * kPage, page);
    recover_file(dir / "chained.db", chained);

    // A log and a journal of garbage beside it, under valid-looking headers.
    std::string garbage(64 * kPage, '\0');
    std::mt19937 rng(5);
    for (char& byte : garbage) byte = static_cast<char>(rng());
    std::string wal = garbage;
    put32(wal, 0, sqlite::kWalMagicBigEndian);
    put32(wal, 8, kPage);
    test::write_file(dir / "logged.db-wal", wal);
    std::string journal = garbage;
    std::copy(std::begin(sqlite::kJournalMagic), std::end(sqlite::kJournalMagic), journal.begin());
    put32(journal, 8, 0xFFFFFFFF);
    put32(journal, 16, 0xFFFFFFF0);  // pages before the transaction: more than any file holds
    put32(journal, 20, 512);
    put32(journal, 24, kPage);
    test::write_file(dir / "logged.db-journal", journal);
    EXPECT_GT(recover_file(dir / "logged.db", base), 0u);
}

TEST(HostileFiles, PagesFlippedAtRandom) {
    test::TempDir temp("quen-hostile-random");
    const fs::path dir(temp.path());
    const std::string base = sample_database(dir);
    std::mt19937 rng(11);
    for (int round = 0; round < 12; ++round) {
        std::string damaged = base;
        // Whole pages of noise, and scattered bytes.
        for (int page = 0; page < 3; ++page) {
            const size_t at = (rng() % (base.size() / kPage)) * kPage;
            for (size_t index = 0; index < kPage; ++index) damaged[at + index] = static_cast<char>(rng());
        }
        for (int flip = 0; flip < 200; ++flip) damaged[rng() % damaged.size()] = static_cast<char>(rng());
        recover_file(dir / ("round" + std::to_string(round) + ".db"), damaged);
    }
    // A file cut in the middle of a page, and files of nothing.
    recover_file(dir / "cut.db", base.substr(0, base.size() / 2 + 100));
    EXPECT_EQ(recover_file(dir / "empty.db", ""), 0u);
    EXPECT_EQ(recover_file(dir / "noise.db", std::string(100000, '\x7f')), 0u);
    RecoveryResult result;
    std::string error;
    EXPECT_FALSE(recover_database({(dir / "missing.db").string(), "", ""}, {}, result, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(recover_database({dir.string(), "", ""}, {}, result, error));  // a folder
}

}  // namespace
}  // namespace quen::records::recovery
