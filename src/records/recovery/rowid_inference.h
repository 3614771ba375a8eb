#pragma once
// Rowids of deleted cells whose own rowid the freeblock header overwrote,
// from their neighbours on the page. SQLite adds a table's rows at the low
// end of the cell content area and lays a rebuilt page out in key order from
// the page end down, so on a page of rows added in rowid order the cells lie
// in descending rowid order from the top. When deleted cells fill the space
// between two live cells exactly (touching both, and as many of them as the
// two rowids leave room for), each one's rowid is known.
#include <span>
#include <vector>

#include "records/recovery/cell_reader.h"

namespace quen::records::recovery {

// Sets the rowid (and the rowid alias value) of the candidates of `page`
// (found in its free space, all of one page image) that sit exactly between
// two live cells of the same table as described above. `usable` is the
// usable size of the page.
void infer_rowids(std::span<const uint8_t> page, uint32_t page_number, uint32_t usable, const Schema& schema,
                  int owner, std::vector<Candidate*>& candidates);

}  // namespace quen::records::recovery
