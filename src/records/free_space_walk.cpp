#include "records/free_space_walk.h"

#include <utility>
#include <vector>

#include "records/free_space_btree.h"
#include "records/free_space_freeblocks.h"
#include "records/free_space_regions.h"
#include "records/sqlite_page.h"

namespace quen {

void for_each_free_region(const std::string& path, const FreeSpaceLayout& layout,
                          const FreeRegionVisitor& visit) {
    const uint32_t page_size = sqlite_file::read_page_size(path);
    if (page_size == 0) return;
    sqlite_file::RawDbFile file;
    if (!file.open(path, page_size)) return;

    const std::vector<uint32_t> leaves = collect_leaf_pages(file, layout.root_page);

    // Freeblock chains of the pages that have one, in ascending page order.
    std::vector<std::pair<uint32_t, std::vector<uint16_t>>> chains;
    std::vector<uint8_t> page;
    for (uint32_t number : leaves) {
        if (!file.read_page(number, page)) continue;
        std::vector<uint16_t> chain = freeblock_chain(page);
        if (!chain.empty()) chains.emplace_back(number, std::move(chain));
    }

    std::span<const uint8_t> bytes;
    for (const auto& [number, chain] : chains) {
        if (!file.read_page(number, page)) continue;
        bytes = page;
        for (uint16_t offset : chain)
            if (auto r = freeblock_region(bytes, offset, layout.mode))
                visit(bytes.subspan(r->start, r->length));
    }
    for (uint32_t number : leaves) {
        if (!file.read_page(number, page)) continue;
        bytes = page;
        if (auto r = gap_region(bytes)) visit(bytes.subspan(r->start, r->length));
    }
}

}  // namespace quen
