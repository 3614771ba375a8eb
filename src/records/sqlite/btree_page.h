#pragma once
// One b-tree page read raw (layouts in sqlite_format.h): its header, its
// cells, its freeblocks and its unallocated gap. Every offset is checked
// against the page, so a hostile page can only make a read fail.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quen::records::sqlite {

struct BtreePageHeader {
    uint8_t type = 0;              // 2, 5, 10 or 13
    uint32_t header_at = 0;        // 0, or 100 on page 1
    uint32_t first_freeblock = 0;
    uint32_t cell_count = 0;
    uint32_t content_start = 0;    // 0 in the field means 65536
    uint32_t fragmented = 0;
    uint32_t right_child = 0;      // interior pages
    uint32_t header_bytes = 0;     // 8 (leaf) or 12 (interior)

    bool leaf() const { return type == 10 || type == 13; }
    bool table() const { return type == 5 || type == 13; }
    bool index() const { return type == 2 || type == 10; }
    // First byte after the cell pointer array.
    uint32_t pointers_end() const { return header_at + header_bytes + 2 * cell_count; }
};

// The header of page `page_number` (page 1 has its header at 100); empty when
// the type byte is not a b-tree page's or the pointer array would not fit in
// the `usable` bytes of the page.
std::optional<BtreePageHeader> read_btree_header(std::span<const uint8_t> page, uint32_t page_number,
                                                 uint32_t usable);

// A cell as its page describes it.
struct Cell {
    uint32_t offset = 0;       // of the cell in the page
    uint32_t left_child = 0;   // interior pages
    int64_t rowid = 0;         // table pages
    uint64_t payload_size = 0; // leaf and index cells
    uint32_t payload_at = 0;   // offset of the payload in the page
    uint32_t local_size = 0;   // payload bytes on the page
    uint32_t overflow_page = 0;  // first overflow page, 0 when none
    uint32_t size = 0;         // bytes of the cell on the page
};

// The cell at `offset` of a page of type `type`; false when it does not fit
// in the `usable` bytes of the page.
bool read_cell(std::span<const uint8_t> page, uint32_t offset, uint8_t type, uint32_t usable, Cell& out);

// The offsets in the cell pointer array that point inside the page's cell
// area (past the pointer array, before `usable`).
std::vector<uint32_t> cell_offsets(std::span<const uint8_t> page, const BtreePageHeader& header, uint32_t usable);

struct FreeStretch {
    uint32_t offset = 0;
    uint32_t size = 0;
};

// The page's freeblocks in chain order; the chain stops at a block outside
// the page, a size below 4 and an offset already seen.
std::vector<FreeStretch> freeblocks(std::span<const uint8_t> page, const BtreePageHeader& header, uint32_t usable);

// The unallocated gap between the pointer array and the cell content area
// (empty when the two overlap).
FreeStretch unallocated_gap(const BtreePageHeader& header, uint32_t usable);

}  // namespace quen::records::sqlite
