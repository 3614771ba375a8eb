#include "records/free_space_btree.h"

#include <algorithm>

namespace quen::records {

namespace {
constexpr uint8_t kTableInterior = 5;
constexpr uint8_t kTableLeaf = 13;
}  // namespace

std::vector<uint32_t> collect_leaf_pages(const sqlite_file::RawDbFile& file, uint32_t root_page) {
    std::vector<uint32_t> leaves;
    const uint32_t count = file.page_count();
    if (root_page == 0 || root_page > count) return leaves;

    std::vector<bool> seen(size_t{count} + 1, false);
    std::vector<uint32_t> stack{root_page};
    std::vector<uint8_t> page;
    while (!stack.empty()) {
        uint32_t number = stack.back();
        stack.pop_back();
        if (number == 0 || number > count || seen[number]) continue;
        seen[number] = true;
        if (!file.read_page(number, page)) continue;

        const uint8_t type = page[0];
        if (type == kTableLeaf) {
            leaves.push_back(number);
            continue;
        }
        if (type != kTableInterior) continue;

        uint32_t cells = 0, right = 0;
        if (!sqlite_file::read_be16(page, 3, cells) || !sqlite_file::read_be32(page, 8, right)) continue;
        // Right-most child first, then the left child of every cell.
        std::vector<uint32_t> children;
        if (right != 0) children.push_back(right);
        for (uint32_t i = 0; i < cells; ++i) {
            uint32_t cell = 0, child = 0;
            if (!sqlite_file::read_be16(page, 12 + size_t{2} * i, cell)) break;  // array runs off the page
            if (!sqlite_file::read_be32(page, cell, child)) continue;
            children.push_back(child);
        }
        // Pushed in reverse so that they are visited in the order above.
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            if (*it != 0 && *it <= count && !seen[*it]) stack.push_back(*it);
    }
    std::sort(leaves.begin(), leaves.end());
    return leaves;
}

}  // namespace quen::records
