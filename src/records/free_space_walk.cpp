#include "records/free_space_walk.h"

#include <vector>

#include "records/free_space_btree.h"
#include "records/free_space_freeblocks.h"
#include "records/free_space_regions.h"
#include "records/sqlite_page.h"

namespace quen::records {

void for_each_free_region(const std::string& path, const FreeSpaceLayout& layout,
                          const FreeRegionVisitor& visit) {
    const uint32_t page_size = sqlite_file::read_page_size(path);
    if (page_size == 0) return;
    sqlite_file::RawDbFile file;
    if (!file.open(path, page_size)) return;

    const std::vector<uint32_t> leaves = collect_leaf_pages(file, layout.root_page);

    // Freeblocks of every leaf page first (ascending pages, each in chain
    // order), then the gaps; each page's chain is visited as soon as it is read.
    std::vector<uint8_t> page;
    std::span<const uint8_t> bytes;
    for (uint32_t number : leaves) {
        if (!file.read_page(number, page)) continue;
        bytes = page;
        for (uint16_t offset : freeblock_chain(bytes))
            if (auto r = freeblock_region(bytes, offset, layout.mode))
                visit(bytes.subspan(r->start, r->length));
    }
    for (uint32_t number : leaves) {
        if (!file.read_page(number, page)) continue;
        bytes = page;
        if (auto r = gap_region(bytes)) visit(bytes.subspan(r->start, r->length));
    }
}

}  // namespace quen::records
