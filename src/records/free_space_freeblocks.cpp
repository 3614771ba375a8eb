#include "records/free_space_freeblocks.h"

#include "records/sqlite_page.h"

namespace quen::records {

std::vector<uint16_t> freeblock_chain(std::span<const uint8_t> page) {
    std::vector<uint16_t> chain;
    uint32_t off = 0;
    if (!sqlite_file::read_be16(page, 1, off)) return chain;
    std::vector<bool> seen(page.size(), false);
    while (off != 0) {
        if (off > page.size() || page.size() - off < 4 || seen[off]) break;
        seen[off] = true;
        chain.push_back(static_cast<uint16_t>(off));
        sqlite_file::read_be16(page, off, off);
    }
    return chain;
}

}  // namespace quen::records
