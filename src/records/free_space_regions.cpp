#include "records/free_space_regions.h"

#include "records/sqlite_page.h"

namespace quen::records {

namespace {

constexpr uint32_t kLeafHeader = 8;
constexpr int64_t kMaxRegion = 65535;

// `length` bytes at `start`, cut at the page end; empty when nothing is left.
std::optional<FreeRegion> inside_page(std::span<const uint8_t> page, int64_t start, int64_t length) {
    if (length <= 0 || start < 0 || start >= static_cast<int64_t>(page.size())) return std::nullopt;
    int64_t room = static_cast<int64_t>(page.size()) - start;
    if (length > room) length = room;
    return FreeRegion{static_cast<uint32_t>(start), static_cast<uint32_t>(length)};
}

}  // namespace

std::optional<FreeRegion> freeblock_region(std::span<const uint8_t> page, uint32_t offset,
                                           FreeSpaceMode mode) {
    uint32_t size = 0;
    if (!sqlite_file::read_be16(page, size_t{offset} + 2, size)) return std::nullopt;
    if (size < 5) return std::nullopt;
    if (size_t{offset} + 4 >= page.size()) return std::nullopt;
    int64_t skip = 4;
    if (mode == FreeSpaceMode::Contacts && page[offset + 4] >= 7) skip = 5;
    return inside_page(page, int64_t{offset} + skip, int64_t{size} - skip);
}

std::optional<FreeRegion> gap_region(std::span<const uint8_t> page) {
    uint32_t cells = 0, content = 0;
    if (!sqlite_file::read_be16(page, 3, cells) || !sqlite_file::read_be16(page, 5, content))
        return std::nullopt;
    int64_t start = kLeafHeader + int64_t{2} * cells;
    int64_t length = int64_t{content} - start;
    if (length < 0 || length > kMaxRegion) return std::nullopt;
    return inside_page(page, start, length);
}

}  // namespace quen::records
