#include "records/free_space/free_regions.h"

#include <vector>

#include "records/sqlite/btree.h"
#include "records/sqlite/raw_db_file.h"
#include "records/sqlite/sqlite_format.h"

namespace quen::records {

namespace {

constexpr int64_t kLargestGap = 65535;
// A contacts freeblock whose first content byte is below this starts with a
// serial type; from it up, the byte is taken as the record header length.
constexpr uint8_t kFirstHeaderLengthByte = 7;

// `length` bytes at `start`, cut at the page end; empty when nothing is left.
std::optional<FreeRegion> inside_page(std::span<const uint8_t> page, int64_t start, int64_t length) {
    // A region that starts outside the page, or has no bytes, holds nothing.
    if (length <= 0 || start < 0 || start >= static_cast<int64_t>(page.size())) return std::nullopt;
    const int64_t room = static_cast<int64_t>(page.size()) - start;
    if (length > room) length = room;
    return FreeRegion{static_cast<uint32_t>(start), static_cast<uint32_t>(length)};
}

}  // namespace

std::optional<FreeRegion> freeblock_region(std::span<const uint8_t> page, uint32_t offset, FreeSpaceMode mode) {
    uint32_t size = 0;
    // The size field must lie inside the page.
    if (!sqlite::read_be16(page, size_t{offset} + sqlite::kFreeblockSizeOffset, size)) return std::nullopt;
    // A freeblock no larger than its header has no content.
    if (size <= sqlite::kFreeblockHeaderBytes) return std::nullopt;
    // The first content byte is looked at below, so it must lie inside the page.
    if (size_t{offset} + sqlite::kFreeblockHeaderBytes >= page.size()) return std::nullopt;
    int64_t skip = sqlite::kFreeblockHeaderBytes;
    if (mode == FreeSpaceMode::Contacts && page[offset + sqlite::kFreeblockHeaderBytes] >= kFirstHeaderLengthByte)
        skip += 1;
    return inside_page(page, int64_t{offset} + skip, int64_t{size} - skip);
}

std::optional<FreeRegion> gap_region(std::span<const uint8_t> page) {
    uint32_t cells = 0, content_start = 0;
    // Both header fields must lie inside the page.
    if (!sqlite::read_be16(page, sqlite::kCellCountOffset, cells) ||
        !sqlite::read_be16(page, sqlite::kCellContentStartOffset, content_start))
        return std::nullopt;
    const int64_t start = int64_t{sqlite::kLeafHeaderBytes} + int64_t{sqlite::kCellPointerBytes} * cells;
    const int64_t length = int64_t{content_start} - start;
    // Content that starts inside the pointer array, or a gap no page can have, is corrupt.
    if (length < 0 || length > kLargestGap) return std::nullopt;
    return inside_page(page, start, length);
}

void for_each_free_region(const std::string& path, const FreeSpaceLayout& layout, const FreeRegionVisitor& visit) {
    const uint32_t page_size = sqlite::read_page_size(path);
    if (page_size == 0) return;
    sqlite::RawDbFile file;
    if (!file.open(path, page_size)) return;

    const std::vector<uint32_t> leaves = sqlite::collect_leaf_pages(file, layout.root_page);

    // Freeblocks of every leaf page first (ascending pages, each in chain
    // order), then the gaps; each page's chain is visited as soon as it is read.
    std::vector<uint8_t> page;
    std::span<const uint8_t> bytes;
    for (uint32_t number : leaves) {
        if (!file.read_page(number, page)) continue;
        bytes = page;
        for (uint16_t offset : sqlite::freeblock_chain(bytes))
            if (auto region = freeblock_region(bytes, offset, layout.mode))
                visit(bytes.subspan(region->start, region->length));
    }
    for (uint32_t number : leaves) {
        if (!file.read_page(number, page)) continue;
        bytes = page;
        if (auto region = gap_region(bytes)) visit(bytes.subspan(region->start, region->length));
    }
}

}  // namespace quen::records
