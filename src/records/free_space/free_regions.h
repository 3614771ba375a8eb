#pragma once
// Which bytes of a table's leaf pages the free-space scan tries as lost
// records, and the raw read that hands them over in scan order.
//
// When a row is deleted, SQLite (with secure_delete off) leaves its table-leaf
// cell's bytes in place (cell and freeblock layouts: sqlite_format.h):
// - a cell at the start of the cell content area is merely given up by moving
//   the content start past it: its bytes join the unallocated gap untouched;
// - any other cell becomes a freeblock, merged with freeblocks right before or
//   after it; its first four bytes are overwritten by the freeblock header.
// Either way the records stay readable until new rows or a defragmentation of
// the page overwrite them.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "records/free_space/table_probe.h"

namespace quen::records {

// A region: `length` bytes at `start` of the page.
struct FreeRegion {
    uint32_t start = 0;
    uint32_t length = 0;
};

// The content of the freeblock at `offset`.
//
// What the freeblock header overwrote is the cell's payload length and rowid
// varints, and with them perhaps the record header length.
// Contacts: when the byte after the freeblock header is below 7 it is taken as
// the first serial type and the region starts there (offset + 4); otherwise it
// is taken as the record header length and the region starts one byte later.
// Messages: the region always starts at offset + 4 (the carver skips the
// serial type of the first column).
//
// Empty when the freeblock cannot be trusted: a size below 5 (no content), or
// a header or start byte outside the page. A region that would reach past the
// page end is cut at the page end.
std::optional<FreeRegion> freeblock_region(std::span<const uint8_t> page, uint32_t offset, FreeSpaceMode mode);

// The unallocated gap between the cell pointer array and the cell content area
// of a table-leaf page: from 8 + 2 * cells (the 8-byte leaf header and the
// pointer array) up to the start of the cell content area. Empty when its
// length is negative or above 65535; cut at the page end.
std::optional<FreeRegion> gap_region(std::span<const uint8_t> page);

using FreeRegionVisitor = std::function<void(std::span<const uint8_t> region)>;

// Reads the page size from the header of `path`, opens it read-only as raw
// bytes, collects the leaf pages of the table rooted at `layout.root_page`
// (ascending), then hands `visit` the content of every freeblock - pages in
// ascending order, each page's freeblocks in chain order - and after that the
// unallocated gap of every leaf page in ascending order. Nothing is visited
// when the file cannot be read or its page size is not supported. Regions are
// at most one page (so at most 32768 bytes); the span is only valid during
// the call.
void for_each_free_region(const std::string& path, const FreeSpaceLayout& layout, const FreeRegionVisitor& visit);

}  // namespace quen::records
