#pragma once
// Which bytes of a leaf page the free-space scan tries as lost records.
#include <cstdint>
#include <optional>
#include <span>

#include "records/free_space_layout.h"

namespace quen::records {

// Table-leaf cell: a varint payload length, a varint rowid, then the payload
// (the record: header length varint, serial types, values). Cells are packed
// from the end of the page towards the cell pointer array. When a row is
// deleted, SQLite (with secure_delete off) leaves the cell's bytes in place:
// - a cell at the start of the cell content area is merely given up by moving
//   the content start (header offset 5) past it: its bytes join the
//   unallocated gap untouched;
// - any other cell becomes a freeblock (see free_space_freeblocks.h), merged
//   with freeblocks right before or after it.
// Either way the records stay readable until new rows or a defragmentation
// of the page overwrite them.

// A region: `length` bytes at `start` of the page.
struct FreeRegion {
    uint32_t start = 0;
    uint32_t length = 0;
};

// The content of the freeblock at `offset`.
//
// A freed cell keeps its bytes, except the first four, which the freeblock
// header (next offset, size) overwrites; what was lost is the cell's payload
// length and rowid varints, and with them perhaps the record header length.
// Contacts: when the byte after the freeblock header is below 7 it is taken as
// the first serial type and the region starts there (offset + 4); otherwise it
// is taken as the record header length and the region starts one byte later.
// Messages: the region always starts at offset + 4 (the carver skips the
// serial type of the first column).
//
// Empty when the freeblock cannot be trusted: a size below 5 (no content), or
// a header or start byte outside the page. A region that would reach past the
// page end is cut at the page end.
std::optional<FreeRegion> freeblock_region(std::span<const uint8_t> page, uint32_t offset,
                                           FreeSpaceMode mode);

// The unallocated gap between the cell pointer array and the cell content area
// of a table-leaf page: from 8 + 2 * cells (the 8-byte leaf header and the
// pointer array) up to the start of the cell content area (header offset 5).
// Empty when its length is negative or above 65535; cut at the page end.
std::optional<FreeRegion> gap_region(std::span<const uint8_t> page);

}  // namespace quen::records
