#include "records/sqlite/btree_page.h"

#include <algorithm>

#include "records/sqlite/sqlite_format.h"

namespace quen::records::sqlite {

std::optional<BtreePageHeader> read_btree_header(std::span<const uint8_t> page, uint32_t page_number,
                                                 uint32_t usable) {
    BtreePageHeader header;
    header.header_at = page_number == 1 ? kDatabaseHeaderBytes : 0;
    if (usable > page.size() || header.header_at + kInteriorHeaderBytes > usable) return std::nullopt;
    const uint32_t at = header.header_at;
    header.type = page[at];
    if (header.type != kIndexInteriorPage && header.type != kTableInteriorPage && header.type != kIndexLeafPage &&
        header.type != kTableLeafPage)
        return std::nullopt;
    header.header_bytes = header.leaf() ? kLeafHeaderBytes : kInteriorHeaderBytes;
    read_be16(page, at + kFirstFreeblockOffset, header.first_freeblock);
    read_be16(page, at + kCellCountOffset, header.cell_count);
    read_be16(page, at + kCellContentStartOffset, header.content_start);
    if (header.content_start == 0) header.content_start = 65536;
    header.fragmented = page[at + kFragmentedBytesOffset];
    if (!header.leaf()) read_be32(page, at + kRightChildOffset, header.right_child);
    if (header.pointers_end() > usable) return std::nullopt;
    return header;
}

bool read_cell(std::span<const uint8_t> page, uint32_t offset, uint8_t type, uint32_t usable, Cell& out) {
    const std::span<const uint8_t> area = page.first(std::min<size_t>(usable, page.size()));
    if (offset >= area.size()) return false;
    out = Cell{};
    out.offset = offset;
    size_t at = offset;
    if (type == kTableInteriorPage || type == kIndexInteriorPage) {
        if (!read_be32(area, at, out.left_child)) return false;
        at += kLeftChildBytes;
    }
    uint64_t number = 0;
    if (type == kTableInteriorPage) {
        if (at >= area.size()) return false;
        const unsigned width = read_varint(area, at, number);
        if (at + width > area.size()) return false;
        out.rowid = static_cast<int64_t>(number);
        out.size = static_cast<uint32_t>(at + width - offset);
        return true;
    }
    if (at >= area.size()) return false;
    unsigned width = read_varint(area, at, out.payload_size);
    at += width;
    if (type == kTableLeafPage) {
        if (at >= area.size()) return false;
        width = read_varint(area, at, number);
        at += width;
        out.rowid = static_cast<int64_t>(number);
    }
    if (at > area.size()) return false;
    const uint64_t local = local_payload_bytes(out.payload_size, usable, type != kTableLeafPage);
    const uint64_t end = at + local + (local < out.payload_size ? 4 : 0);
    if (end > area.size()) return false;
    out.payload_at = static_cast<uint32_t>(at);
    out.local_size = static_cast<uint32_t>(local);
    if (local < out.payload_size) read_be32(area, at + local, out.overflow_page);
    out.size = static_cast<uint32_t>(end - offset);
    return true;
}

std::vector<uint32_t> cell_offsets(std::span<const uint8_t> page, const BtreePageHeader& header, uint32_t usable) {
    std::vector<uint32_t> offsets;
    offsets.reserve(header.cell_count);
    const uint32_t first = header.pointers_end();
    for (uint32_t index = 0; index < header.cell_count; ++index) {
        uint32_t offset = 0;
        if (!read_be16(page, header.header_at + header.header_bytes + 2 * index, offset)) break;
        if (offset >= first && offset < usable) offsets.push_back(offset);
    }
    return offsets;
}

std::vector<FreeStretch> freeblocks(std::span<const uint8_t> page, const BtreePageHeader& header, uint32_t usable) {
    std::vector<FreeStretch> blocks;
    const uint32_t limit = std::min<uint32_t>(usable, static_cast<uint32_t>(page.size()));
    uint32_t offset = header.first_freeblock;
    uint32_t previous = 0;
    // The chain is kept in ascending order, so an offset that does not move
    // forward is a loop in a damaged page.
    while (offset != 0 && offset > previous && offset >= header.pointers_end() &&
           offset + kFreeblockHeaderBytes <= limit) {
        uint32_t next = 0, size = 0;
        read_be16(page, offset + kFreeblockNextOffset, next);
        read_be16(page, offset + kFreeblockSizeOffset, size);
        if (size < kFreeblockHeaderBytes) break;
        blocks.push_back({offset, std::min(size, limit - offset)});
        previous = offset;
        offset = next;
    }
    return blocks;
}

FreeStretch unallocated_gap(const BtreePageHeader& header, uint32_t usable) {
    const uint32_t start = header.pointers_end();
    const uint32_t end = std::min(header.content_start, usable);
    if (end <= start) return {start, 0};
    return {start, end - start};
}

}  // namespace quen::records::sqlite
