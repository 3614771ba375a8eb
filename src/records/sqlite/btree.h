#pragma once
// Walking a table's b-tree: its leaf pages, and the freeblock chain of a page
// (page header, cell and freeblock layouts: sqlite_format.h).
#include <cstdint>
#include <span>
#include <vector>

#include "records/sqlite/raw_db_file.h"

namespace quen::records::sqlite {

// Every table-leaf page reachable from `root_page`, ascending, each once.
//
// Interior pages are followed right-most child first, then the left child of
// every cell. No 100-byte offset is applied to page 1: it holds the schema,
// never a table whose rows are wanted here.
//
// Pages of any other type are passed over, as are page numbers of 0 or beyond
// the file's end, pointers that reach past the page, and pages already seen (a
// cycle in a corrupt tree). The walk keeps its own stack, so no depth of tree
// can exhaust the thread's stack.
std::vector<uint32_t> collect_leaf_pages(const RawDbFile& file, uint32_t root_page);

// The offsets of the freeblocks of one page, in chain order. The chain stops
// at a freeblock whose 4-byte header does not lie inside the page bytes, and
// at an offset already seen (a cycle in a corrupt page).
std::vector<uint16_t> freeblock_chain(std::span<const uint8_t> page);

}  // namespace quen::records::sqlite
