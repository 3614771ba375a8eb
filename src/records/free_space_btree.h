#pragma once
// Finds the leaf pages of a table's B-tree.
#include <cstdint>
#include <vector>

#include "records/sqlite_page.h"

namespace quen::records {

// Every table-leaf page reachable from `root_page`, ascending, each once.
//
// B-tree page header (at the page's first byte; page 1 is not a table page of
// interest here, so no 100-byte offset is applied):
//   offset 0   1 byte   page type: 5 table interior, 13 table leaf
//   offset 1   2 bytes  first freeblock (0: none)
//   offset 3   2 bytes  number of cells
//   offset 5   2 bytes  start of the cell content area
//   offset 7   1 byte   fragmented free bytes
//   offset 8   4 bytes  right-most child page (interior pages only)
// The header is 8 bytes on leaf pages and 12 on interior pages, and is followed
// by the cell pointer array: one 2-byte offset per cell. A table interior cell
// begins with the 4-byte page number of its left child.
//
// Pages of any other type are passed over, as are page numbers of 0 or beyond
// the file's end, pointers that reach past the page, and pages already seen (a
// cycle in a corrupt tree). The walk keeps its own stack, so no depth of tree
// can exhaust the thread's stack.
std::vector<uint32_t> collect_leaf_pages(const sqlite_file::RawDbFile& file, uint32_t root_page);

}  // namespace quen::records
