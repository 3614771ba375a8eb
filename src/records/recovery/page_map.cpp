#include "records/recovery/page_map.h"

#include "records/sqlite/sqlite_format.h"

namespace quen::records::recovery {

namespace {

PageRole tree_role(const sqlite::BtreePageHeader& header) {
    switch (header.type) {
        case 5: return PageRole::TableInterior;
        case 13: return PageRole::TableLeaf;
        case 2: return PageRole::IndexInterior;
        default: return PageRole::IndexLeaf;
    }
}

}  // namespace

PageMap::PageMap(const DatabaseView& view, const Schema& schema) {
    const uint32_t count = view.page_count();
    pages_.resize(size_t{count} + 1);
    std::vector<uint8_t> seen(size_t{count} + 1, 0);
    const uint32_t usable = view.usable_size();
    auto claim = [&](uint32_t page, PageRole role, int table = -1, int index = -1) {
        if (page == 0 || page > count || seen[page]) return false;
        seen[page] = 1;
        pages_[page] = {role, table, index};
        return true;
    };

    // The page holding the lock bytes at 2^30 is never used.
    const uint64_t lock_page = sqlite::kLockBytePosition / view.page_size() + 1;
    if (lock_page <= count) claim(static_cast<uint32_t>(lock_page), PageRole::LockByte);
    // Pointer maps: page 2, then one every usable/5 + 1 pages.
    if (view.header().largest_root != 0 && usable >= 5) {
        const uint64_t stride = usable / 5 + 1;
        for (uint64_t page = 2; page <= count; page += stride) claim(static_cast<uint32_t>(page), PageRole::PointerMap);
    }

    // The freelist: trunks chained from the header, each listing its leaves.
    const uint32_t leaves_per_trunk = (usable - sqlite::kTrunkLeavesOffset) / 4;
    for (uint32_t trunk = view.header().first_trunk; trunk != 0 && claim(trunk, PageRole::FreelistTrunk);) {
        const auto bytes = view.page(trunk);
        uint32_t next = 0, leaves = 0;
        if (!sqlite::read_be32(bytes, sqlite::kTrunkNextOffset, next) ||
            !sqlite::read_be32(bytes, sqlite::kTrunkCountOffset, leaves))
            break;
        leaves = std::min(leaves, leaves_per_trunk);
        for (uint32_t entry = 0; entry < leaves; ++entry) {
            uint32_t leaf = 0;
            if (sqlite::read_be32(bytes, sqlite::kTrunkLeavesOffset + 4 * size_t{entry}, leaf))
                claim(leaf, PageRole::FreelistLeaf);
        }
        trunk = next;
    }

    // Every tree, and the overflow chains of its cells.
    auto walk = [&](uint32_t root, int table, int index) {
        walk_tree(view, root, seen, [&](uint32_t number, std::span<const uint8_t> bytes,
                                         const sqlite::BtreePageHeader& header) {
            pages_[number] = {tree_role(header), table, index};
            if (header.type == 5) return;  // interior table cells hold no payload
            for (uint32_t offset : sqlite::cell_offsets(bytes, header, usable)) {
                sqlite::Cell cell;
                if (sqlite::read_cell(bytes, offset, header.type, usable, cell) && cell.overflow_page != 0) {
                    const uint64_t spilled = cell.payload_size - cell.local_size;
                    uint64_t pages = (spilled + usable - 5) / (usable - 4);
                    for (uint32_t page = cell.overflow_page; page != 0 && pages-- > 0;) {
                        if (!claim(page, PageRole::Overflow, table, index)) break;
                        uint32_t next = 0;
                        if (!sqlite::read_be32(view.page(page), 0, next)) break;
                        page = next;
                    }
                }
            }
        });
    };
    if (schema.find_table("sqlite_master") < 0) walk(1, -1, -1);
    for (size_t table = 0; table < schema.tables.size(); ++table)
        if (!schema.tables[table].dropped) walk(schema.tables[table].root_page, static_cast<int>(table), -1);
    for (size_t index = 0; index < schema.indexes.size(); ++index)
        walk(schema.indexes[index].root_page, schema.indexes[index].table, static_cast<int>(index));
}

const PageInfo& PageMap::operator[](uint32_t page) const {
    return page < pages_.size() ? pages_[page] : none_;
}

}  // namespace quen::records::recovery
