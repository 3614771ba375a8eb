#include "records/sqlite/btree.h"

#include <algorithm>

#include "records/sqlite/sqlite_format.h"

namespace quen::records::sqlite {

std::vector<uint32_t> collect_leaf_pages(const RawDbFile& file, uint32_t root_page) {
    std::vector<uint32_t> leaves;
    const uint32_t page_count = file.page_count();
    // A root outside the file has no tree to walk.
    if (root_page == 0 || root_page > page_count) return leaves;

    std::vector<bool> seen(size_t{page_count} + 1, false);
    std::vector<uint32_t> stack{root_page};
    std::vector<uint8_t> page;
    while (!stack.empty()) {
        const uint32_t number = stack.back();
        stack.pop_back();
        // Page 0 does not exist, pages past the end cannot be read, and a page
        // seen before means a cycle.
        if (number == 0 || number > page_count || seen[number]) continue;
        seen[number] = true;
        if (!file.read_page(number, page)) continue;

        const uint8_t type = page[kPageTypeOffset];
        if (type == kTableLeafPage) {
            leaves.push_back(number);
            continue;
        }
        if (type != kTableInteriorPage) continue;

        uint32_t cells = 0, right_child = 0;
        // A page cut short by the file's end may not hold the whole header.
        if (!read_be16(page, kCellCountOffset, cells) || !read_be32(page, kRightChildOffset, right_child)) continue;
        // Right-most child first, then the left child of every cell.
        std::vector<uint32_t> children;
        if (right_child != 0) children.push_back(right_child);
        for (uint32_t cell_index = 0; cell_index < cells; ++cell_index) {
            uint32_t cell_offset = 0, left_child = 0;
            // A cell count larger than the page runs the pointer array off it.
            if (!read_be16(page, kInteriorHeaderBytes + kCellPointerBytes * cell_index, cell_offset)) break;
            // A pointer past the page end points at no cell.
            if (!read_be32(page, cell_offset, left_child)) continue;
            children.push_back(left_child);
        }
        // Pushed in reverse so that they are visited in the order above.
        for (auto child = children.rbegin(); child != children.rend(); ++child)
            if (*child != 0 && *child <= page_count && !seen[*child]) stack.push_back(*child);
    }
    std::sort(leaves.begin(), leaves.end());
    return leaves;
}

std::vector<uint16_t> freeblock_chain(std::span<const uint8_t> page) {
    std::vector<uint16_t> chain;
    uint32_t offset = 0;
    // A page too short for its header has no chain.
    if (!read_be16(page, kFirstFreeblockOffset, offset)) return chain;
    std::vector<bool> seen(page.size(), false);
    while (offset != 0) {
        // The freeblock header must lie inside the page, and an offset seen
        // before means a cycle.
        if (offset > page.size() || page.size() - offset < kFreeblockHeaderBytes || seen[offset]) break;
        seen[offset] = true;
        chain.push_back(static_cast<uint16_t>(offset));
        read_be16(page, offset + kFreeblockNextOffset, offset);
    }
    return chain;
}

}  // namespace quen::records::sqlite
