// The free regions of a table's leaf pages on hand-built and hostile files:
// freeblock chains that loop, freeblocks and gaps of impossible sizes, bad
// page sizes, files cut short.
#include "records/free_space/free_regions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "records/free_space/android_rows.h"
#include "records/sqlite/page_file.h"
#include "test_support/files.h"

namespace quen::records {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

FreeSpaceLayout three_column_layout(FreeSpaceMode mode, uint32_t root) {
    FreeSpaceLayout layout;
    layout.mode = mode;
    layout.root_page = root;
    layout.column_count = 3;
    layout.raw_contact_id = 1;
    layout.data1 = 2;
    return layout;
}

std::vector<std::string> regions(const std::string& path, const FreeSpaceLayout& layout) {
    std::vector<std::string> out;
    for_each_free_region(path, layout,
                         [&](std::span<const uint8_t> region) { out.emplace_back(region.begin(), region.end()); });
    return out;
}

class HostilePages : public ::testing::Test {
protected:
    test::TempDir temp_{"quen-free-regions"};
    const fs::path dir_{temp_.path()};
};

TEST_F(HostilePages, FreeblockChainsThatLoopOrLieAreCutShort) {
    PageFile file(1024);
    file.interior(2, {4}, 3);
    // Page 3: A(100, 20 bytes) -> tiny(200, size 3) -> tiny(300, size 4) -> B(400, 30 bytes) -> A again.
    file.leaf(3, 100, 1000);
    file.freeblock(3, 100, 20, 200, 'A');
    file.freeblock(3, 200, 3, 300, '?');
    file.freeblock(3, 300, 4, 400, '?');
    file.freeblock(3, 400, 30, 100, 'B');
    // Page 4: a freeblock claiming more than the page holds, then a next
    // pointer whose header would lie past the page end.
    file.leaf(4, 1000, 1000);
    file.freeblock(4, 1000, 500, 1022, 'C');
    const std::string path = file.write(dir_);

    std::vector<std::string> got = regions(path, three_column_layout(FreeSpaceMode::Messages, 2));
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[0], std::string(16, 'A'));
    EXPECT_EQ(got[1], std::string(26, 'B'));
    EXPECT_EQ(got[2], std::string(20, 'C'));  // cut at the page end
    // Then the gaps of pages 3 and 4: from byte 8 to the content start.
    EXPECT_EQ(got[3].size(), 992u);
    EXPECT_EQ(got[4].size(), 992u);
}

TEST_F(HostilePages, ContactsFreeblockSkipsARecordHeaderLengthByte) {
    PageFile file(1024);
    file.leaf(2, 100, 1024);
    file.freeblock(2, 100, 20, 200, 0x1E);  // 0x1E >= 7: a header length, skipped
    file.freeblock(2, 200, 20, 0, 0x00);
    file.page(2)[205] = 0x2A;  // < 7 at +4: the region starts there
    const std::string path = file.write(dir_);
    std::vector<std::string> got = regions(path, three_column_layout(FreeSpaceMode::Contacts, 2));
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[0], std::string(15, 0x1E));
    EXPECT_EQ(got[1].size(), 16u);
    EXPECT_EQ(got[1][1], 0x2A);
}

TEST_F(HostilePages, GapsOfImpossibleLengthAreSkippedOrCut) {
    PageFile file(1024);
    file.interior(2, {3, 4, 5}, 6);
    file.leaf(3, 0, 4);         // content start before the pointer array: negative gap
    file.leaf(4);               // content start 0
    file.put16(4, 5, 0);
    file.leaf(5, 0, 60000);     // content start far past the page: cut at the page end
    file.leaf(6, 0, 1024);
    file.put16(6, 3, 30000);    // 30000 cells: the pointer array alone is past the page
    std::vector<std::string> got = regions(file.write(dir_), three_column_layout(FreeSpaceMode::Contacts, 2));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].size(), 1016u);
}

TEST_F(HostilePages, UnsupportedPageSizesAndShortFilesGiveNothing) {
    for (uint16_t field : {0, 1, 700, 65535, 256}) {
        PageFile file(1024, field);
        file.leaf(2, 0, 1024);
        EXPECT_TRUE(regions(file.write(dir_), three_column_layout(FreeSpaceMode::Contacts, 2)).empty()) << field;
    }
    std::ofstream(dir_ / "short.db") << "SQLite format 3";
    EXPECT_TRUE(regions((dir_ / "short.db").string(), three_column_layout(FreeSpaceMode::Contacts, 2)).empty());
    EXPECT_TRUE(regions((dir_ / "missing.db").string(), three_column_layout(FreeSpaceMode::Contacts, 2)).empty());
    // A root page beyond the end of a file whose last page is cut short.
    PageFile file(1024);
    file.leaf(2, 0, 1024);
    std::string path = file.write(dir_);
    fs::resize_file(path, 1024 + 100);
    EXPECT_TRUE(regions(path, three_column_layout(FreeSpaceMode::Contacts, 3)).empty());
    EXPECT_EQ(regions(path, three_column_layout(FreeSpaceMode::Contacts, 2)).size(), 1u);  // the 100 bytes there are
}

TEST_F(HostilePages, AFreeblockIsScannedOnlyUpToItsOwnEnd) {
    // sms: _id, thread_id, address, date, type, body. A lost record from
    // column 1 on: thread 7, address "555", date 42, type the constant 1, body "hi".
    const Bytes lost = {0x01, 0x13, 0x01, 0x09, 0x11, 0x07, '5', '5', '5', 0x2A, 'h', 'i'};
    FreeSpaceLayout layout;
    layout.mode = FreeSpaceMode::Messages;
    layout.root_page = 2;
    layout.column_count = 6;
    layout.thread_id = 1, layout.address = 2, layout.date = 3, layout.type = 4, layout.body = 5;
    const std::optional<RowPattern> sms_row = sms_row_pattern(layout);
    ASSERT_TRUE(sms_row);
    auto found = [&](uint32_t freeblock_size) {
        PageFile file(1024);
        file.leaf(2, 100, 1000);
        file.freeblock(2, 100, freeblock_size, 0, 0);
        std::copy(lost.begin(), lost.end(), file.page(2).begin() + 104);
        file.put16(2, 5, 100);  // no gap: only the freeblock is free
        size_t messages = 0;
        for_each_free_region(file.write(dir_, "mmssms.db"), layout, [&](std::span<const uint8_t> region) {
            carve_messages(region, *sms_row, [&](const MessageCandidate&) { ++messages; });
        });
        return messages;
    };
    EXPECT_EQ(found(4 + static_cast<uint32_t>(lost.size())), 1u);
    // Content no longer than the column count: not scanned, although the
    // record's bytes go on in the page after it.
    EXPECT_EQ(found(4 + layout.column_count), 0u);
    EXPECT_EQ(found(4 + static_cast<uint32_t>(lost.size()) - 1), 0u);
}

}  // namespace
}  // namespace quen::records
