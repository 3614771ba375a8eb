// The page-level walk of the free-space scan on hand-built and hostile files:
// B-tree cycles, pages beyond the end, freeblock chains that loop, freeblocks
// and gaps of impossible sizes, bad page sizes. Also the probe's choices.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "records/free_space_btree.h"
#include "records/free_space_carver.h"
#include "records/free_space_scan.h"
#include "records/free_space_walk.h"
#include "records/sqlite_page.h"

namespace quen::records {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

fs::path fresh_folder() {
    static std::mt19937_64 rng{std::random_device{}()};
    fs::path dir = fs::temp_directory_path() / ("quen_fsp_" + std::to_string(rng() % 1000000000ULL));
    fs::create_directories(dir);
    return dir;
}

// A database file built page by page.
class PageFile {
public:
    explicit PageFile(uint32_t page_size) : PageFile(page_size, static_cast<uint16_t>(page_size)) {}
    PageFile(uint32_t page_size, uint16_t size_field) : size_(page_size) {
        Bytes& p1 = page(1);
        const char magic[] = "SQLite format 3";
        std::copy(magic, magic + 16, p1.begin());
        put16(1, 16, size_field);
    }
    Bytes& page(uint32_t n) {
        if (pages_.size() < n) pages_.resize(n, Bytes(size_, 0));
        return pages_[n - 1];
    }
    void put16(uint32_t n, size_t off, uint32_t v) {
        page(n)[off] = static_cast<uint8_t>(v >> 8);
        page(n)[off + 1] = static_cast<uint8_t>(v);
    }
    void put32(uint32_t n, size_t off, uint32_t v) {
        put16(n, off, v >> 16);
        put16(n, off + 2, v & 0xFFFF);
    }
    // A table interior page with the given left children and right-most child.
    void interior(uint32_t n, std::vector<uint32_t> children, uint32_t right) {
        page(n)[0] = 5;
        put16(n, 3, static_cast<uint32_t>(children.size()));
        put32(n, 8, right);
        uint32_t cell = size_;
        for (size_t i = 0; i < children.size(); ++i) {
            cell -= 5;
            put16(n, 12 + 2 * i, cell);
            put32(n, cell, children[i]);
            page(n)[cell + 4] = static_cast<uint8_t>(i + 1);  // rowid varint
        }
        put16(n, 5, cell);
    }
    // A table leaf page without cells: the gap runs from 8 to `content`.
    void leaf(uint32_t n, uint32_t first_freeblock = 0, uint32_t content = 0) {
        page(n)[0] = 13;
        put16(n, 1, first_freeblock);
        put16(n, 5, content ? content : size_);
    }
    // A freeblock whose content (after its 4-byte header) is `fill` bytes.
    void freeblock(uint32_t n, uint32_t off, uint32_t size, uint32_t next, uint8_t fill) {
        put16(n, off, next);
        put16(n, off + 2, size);
        for (uint32_t i = 4; i < size && off + i < size_; ++i) page(n)[off + i] = fill;
    }
    std::string write(const fs::path& dir, const std::string& name = "contacts2.db") const {
        fs::path p = dir / name;
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        for (const Bytes& b : pages_) out.write(reinterpret_cast<const char*>(b.data()), static_cast<long>(b.size()));
        return p.string();
    }

private:
    uint32_t size_;
    std::vector<Bytes> pages_;
};

records::FreeSpaceLayout layout(records::FreeSpaceMode mode, uint32_t root) {
    records::FreeSpaceLayout l;
    l.mode = mode;
    l.root_page = root;
    l.column_count = 3;
    l.raw_contact_id = 1;
    l.data1 = 2;
    return l;
}

std::vector<std::string> regions(const std::string& path, const records::FreeSpaceLayout& l) {
    std::vector<std::string> out;
    records::for_each_free_region(path, l, [&](std::span<const uint8_t> r) { out.emplace_back(r.begin(), r.end()); });
    return out;
}

std::vector<uint32_t> leaves(const std::string& path) {
    records::sqlite_file::RawDbFile file;
    EXPECT_TRUE(file.open(path, records::sqlite_file::read_page_size(path)));
    std::vector<uint32_t> out;
    for (uint32_t root : {2u}) out = records::collect_leaf_pages(file, root);
    return out;
}

class HostilePages : public ::testing::Test {
protected:
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_ = fresh_folder();
};

TEST_F(HostilePages, TreeWalkSurvivesCyclesForeignPagesAndPointersOffThePage) {
    PageFile f(1024);
    // 2 -> (2 itself, 4, 500 beyond the end, 0), right 3; 3 -> (4, 5), right 2.
    f.interior(2, {2, 4, 500, 0}, 3);
    f.interior(3, {4, 5}, 2);
    f.put16(3, 3, 1000);  // claims 1000 cells: the pointer array runs off the page
    f.leaf(4);
    f.leaf(5);
    f.leaf(6);  // a leaf of some other tree
    f.page(7)[0] = 10;  // an index page is not followed
    EXPECT_EQ(leaves(f.write(dir_)), (std::vector<uint32_t>{4, 5}));
}

TEST_F(HostilePages, DeepTreeDoesNotExhaustTheStack) {
    PageFile f(512);
    const uint32_t depth = 20000;
    for (uint32_t n = 2; n < depth; ++n) f.interior(n, {}, n + 1);
    f.leaf(depth);
    EXPECT_EQ(leaves(f.write(dir_)), (std::vector<uint32_t>{depth}));
}

TEST_F(HostilePages, FreeblockChainsThatLoopOrLieAreCutShort) {
    PageFile f(1024);
    f.interior(2, {4}, 3);
    // Page 3: A(100, 20 bytes) -> tiny(200, size 3) -> tiny(300, size 4) -> B(400, 30 bytes) -> A again.
    f.leaf(3, 100, 1000);
    f.freeblock(3, 100, 20, 200, 'A');
    f.freeblock(3, 200, 3, 300, '?');
    f.freeblock(3, 300, 4, 400, '?');
    f.freeblock(3, 400, 30, 100, 'B');
    // Page 4: a freeblock claiming more than the page holds, then a next
    // pointer whose header would lie past the page end.
    f.leaf(4, 1000, 1000);
    f.freeblock(4, 1000, 500, 1022, 'C');
    const std::string path = f.write(dir_);

    std::vector<std::string> got = regions(path, layout(records::FreeSpaceMode::Messages, 2));
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[0], std::string(16, 'A'));
    EXPECT_EQ(got[1], std::string(26, 'B'));
    EXPECT_EQ(got[2], std::string(20, 'C'));  // cut at the page end
    // Then the gaps of pages 3 and 4: from byte 8 to the content start.
    EXPECT_EQ(got[3].size(), 992u);
    EXPECT_EQ(got[4].size(), 992u);
}

TEST_F(HostilePages, ContactsFreeblockSkipsARecordHeaderLengthByte) {
    PageFile f(1024);
    f.leaf(2, 100, 1024);
    f.freeblock(2, 100, 20, 200, 0x1E);  // 0x1E >= 7: a header length, skipped
    f.freeblock(2, 200, 20, 0, 0x00);
    f.page(2)[205] = 0x2A;  // < 7 at +4: the region starts there
    const std::string path = f.write(dir_);
    std::vector<std::string> got = regions(path, layout(records::FreeSpaceMode::Contacts, 2));
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[0], std::string(15, 0x1E));
    EXPECT_EQ(got[1].size(), 16u);
    EXPECT_EQ(got[1][1], 0x2A);
}

TEST_F(HostilePages, GapsOfImpossibleLengthAreSkippedOrCut) {
    PageFile f(1024);
    f.interior(2, {3, 4, 5}, 6);
    f.leaf(3, 0, 4);         // content start before the pointer array: negative gap
    f.leaf(4);               // content start 0
    f.put16(4, 5, 0);
    f.leaf(5, 0, 60000);     // content start far past the page: cut at the page end
    f.leaf(6, 0, 1024);
    f.put16(6, 3, 30000);    // 30000 cells: the pointer array alone is past the page
    std::vector<std::string> got = regions(f.write(dir_), layout(records::FreeSpaceMode::Contacts, 2));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].size(), 1016u);
}

TEST_F(HostilePages, UnsupportedPageSizesAndShortFilesGiveNothing) {
    for (uint16_t field : {0, 1, 700, 65535, 256}) {
        PageFile f(1024, field);
        f.leaf(2, 0, 1024);
        EXPECT_TRUE(regions(f.write(dir_), layout(records::FreeSpaceMode::Contacts, 2)).empty()) << field;
    }
    std::ofstream(dir_ / "short.db") << "SQLite format 3";
    EXPECT_TRUE(regions((dir_ / "short.db").string(), layout(records::FreeSpaceMode::Contacts, 2)).empty());
    EXPECT_TRUE(regions((dir_ / "missing.db").string(), layout(records::FreeSpaceMode::Contacts, 2)).empty());
    // A root page beyond the end of a file whose last page is cut short.
    PageFile f(1024);
    f.leaf(2, 0, 1024);
    std::string path = f.write(dir_);
    fs::resize_file(path, 1024 + 100);
    EXPECT_TRUE(regions(path, layout(records::FreeSpaceMode::Contacts, 3)).empty());
    EXPECT_EQ(regions(path, layout(records::FreeSpaceMode::Contacts, 2)).size(), 1u);  // the 100 bytes there are
}

TEST_F(HostilePages, AFreeblockIsScannedOnlyUpToItsOwnEnd) {
    // sms: _id, thread_id, address, date, type, body. A lost record from
    // column 1 on: thread 7, address "555", date 42, type the constant 1, body "hi".
    const Bytes rec = {0x01, 0x13, 0x01, 0x09, 0x11, 0x07, '5', '5', '5', 0x2A, 'h', 'i'};
    records::FreeSpaceLayout l;
    l.mode = records::FreeSpaceMode::Messages;
    l.root_page = 2;
    l.column_count = 6;
    l.thread_id = 1, l.address = 2, l.date = 3, l.type = 4, l.body = 5;
    auto found = [&](uint32_t freeblock_size) {
        PageFile f(1024);
        f.leaf(2, 100, 1000);
        f.freeblock(2, 100, freeblock_size, 0, 0);
        std::copy(rec.begin(), rec.end(), f.page(2).begin() + 104);
        f.put16(2, 5, 100);  // no gap: only the freeblock is free
        size_t n = 0;
        records::for_each_free_region(f.write(dir_, "mmssms.db"), l, [&](std::span<const uint8_t> r) {
            carve_messages(r, l, [&](const records::MessageCandidate&) { ++n; });
        });
        return n;
    };
    EXPECT_EQ(found(4 + static_cast<uint32_t>(rec.size())), 1u);
    // Content no longer than the column count: not scanned, although the
    // record's bytes go on in the page after it.
    EXPECT_EQ(found(4 + l.column_count), 0u);
    EXPECT_EQ(found(4 + static_cast<uint32_t>(rec.size()) - 1), 0u);
}

// Real databases through the whole entry: the probe and its choices.
void exec(sqlite3* db, const char* sql) { ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql; }

TEST_F(HostilePages, ProbeDecidesWhatIsScanned) {
    const fs::path path = dir_ / "contacts2.db";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    exec(db, "PRAGMA secure_delete=OFF;"
             "CREATE TABLE data (_id INTEGER PRIMARY KEY, package_id INTEGER, mimetype_id INTEGER, "
             "raw_contact_id INTEGER, data1 TEXT, data2 TEXT);"
             "INSERT INTO data VALUES (1001, NULL, 5, 42, 'Only row, now deleted', NULL);"
             "INSERT INTO data VALUES (1002, NULL, 5, 42, 'Second row, now deleted', NULL);"
             "DELETE FROM data;");
    sqlite3_close(db);
    records::mimetype_id_table()[5] = "vnd.android.cursor.item/phone_v2";

    // A table whose every row is deleted still has its layout, from the
    // prepared statement.
    records::ContactMap contacts;
    records::scan_free_space(records::FreeSpaceMode::Contacts, path.string(), contacts);
    ASSERT_EQ(contacts.size(), 1u);
    std::vector<std::string> phones = records::split_text_list(contacts.at(42).phone);
    std::sort(phones.begin(), phones.end());
    EXPECT_EQ(phones, (std::vector<std::string>{"Only row, now deleted", "Second row, now deleted"}));
    EXPECT_TRUE(contacts.at(42).deleted);

    // The wrong mode, another file name, a missing file: nothing.
    records::ThreadMap threads;
    scan_free_space(records::FreeSpaceMode::Messages, path.string(), contacts);
    scan_free_space(records::FreeSpaceMode::Contacts, path.string(), threads);
    fs::copy_file(path, dir_ / "people.db");
    records::ContactMap other;
    scan_free_space(records::FreeSpaceMode::Contacts, (dir_ / "people.db").string(), other);
    scan_free_space(records::FreeSpaceMode::Contacts, (dir_ / "nothing" / "contacts2.db").string(), other);
    fs::create_directories(dir_ / "pipe");
    ASSERT_EQ(mkfifo((dir_ / "pipe" / "contacts2.db").c_str(), 0600), 0);  // must not block
    scan_free_space(records::FreeSpaceMode::Contacts, (dir_ / "pipe" / "contacts2.db").string(), other);
    EXPECT_TRUE(other.empty());
    EXPECT_TRUE(threads.empty());
    EXPECT_EQ(contacts.size(), 1u);

    // Not a database, or a database without the columns the scan rebuilds.
    std::ofstream(dir_ / "x_contacts2.db") << std::string(5000, 'Z');
    scan_free_space(records::FreeSpaceMode::Contacts, (dir_ / "x_contacts2.db").string(), other);
    ASSERT_EQ(sqlite3_open((dir_ / "y_contacts2.db").c_str(), &db), SQLITE_OK);
    exec(db, "PRAGMA secure_delete=OFF; CREATE TABLE data (_id INTEGER PRIMARY KEY, mimetype_id INTEGER, "
             "raw_contact_id INTEGER, value TEXT);"
             "INSERT INTO data VALUES (1001, 5, 42, 'no data1 column'); DELETE FROM data;");
    sqlite3_close(db);
    scan_free_space(records::FreeSpaceMode::Contacts, (dir_ / "y_contacts2.db").string(), other);
    EXPECT_TRUE(other.empty());
}

}  // namespace
}  // namespace quen::records
