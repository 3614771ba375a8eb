// The b-tree walk on hand-built and hostile files: cycles, pages beyond the
// end, pointer arrays that run off the page, trees deeper than any stack.
#include "records/sqlite/btree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/sqlite/page_file.h"
#include "records/sqlite/raw_db_file.h"
#include "test_support/files.h"

namespace quen::records {
namespace {

std::vector<uint32_t> leaves_below(const std::string& path, uint32_t root) {
    sqlite::RawDbFile file;
    EXPECT_TRUE(file.open(path, sqlite::read_page_size(path)));
    return sqlite::collect_leaf_pages(file, root);
}

TEST(TableTreeWalk, SurvivesCyclesForeignPagesAndPointersOffThePage) {
    test::TempDir dir("quen-btree");
    PageFile file(1024);
    // 2 -> (2 itself, 4, 500 beyond the end, 0), right 3; 3 -> (4, 5), right 2.
    file.interior(2, {2, 4, 500, 0}, 3);
    file.interior(3, {4, 5}, 2);
    file.put16(3, 3, 1000);  // claims 1000 cells: the pointer array runs off the page
    file.leaf(4);
    file.leaf(5);
    file.leaf(6);            // a leaf of some other tree
    file.page(7)[0] = 10;    // an index page is not followed
    EXPECT_EQ(leaves_below(file.write(dir.path()), 2), (std::vector<uint32_t>{4, 5}));
}

TEST(TableTreeWalk, DeepTreeDoesNotExhaustTheStack) {
    test::TempDir dir("quen-btree");
    PageFile file(512);
    const uint32_t depth = 20000;
    for (uint32_t number = 2; number < depth; ++number) file.interior(number, {}, number + 1);
    file.leaf(depth);
    EXPECT_EQ(leaves_below(file.write(dir.path()), 2), (std::vector<uint32_t>{depth}));
}

}  // namespace
}  // namespace quen::records
