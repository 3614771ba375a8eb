#pragma once
// The free bytes of one page image and what they hold: the freeblocks and
// the unallocated gap of a b-tree page that is in use; every cell and every
// free byte of a page that was freed whole (whose cells were never
// overwritten); the cells of an older copy of a page.
#include <cstdint>
#include <functional>
#include <span>

#include "records/recovery/cell_reader.h"
#include "records/recovery/recovered_record.h"
#include "records/recovery/region_carver.h"
#include "records/recovery/work_budget.h"

namespace quen::records::recovery {

// A candidate and the part of the page it came from.
using SourcedSink = std::function<void(Candidate&&, RecordSource)>;

// The freeblocks (Freeblock) and the unallocated gap (Unallocated) of a
// b-tree page whose header is valid. `reader` reads the page's cell kind.
void carve_free_space(const CellReader& reader, uint32_t page_number, WorkBudget& budget, const SourcedSink& sink);

// Every cell a freed page still lists in its pointer array, and then all of
// its other bytes (the whole page when its header was overwritten, as on a
// freelist trunk page); all as `source`.
void carve_whole_page(const CellReader& reader, uint32_t page_number, RecordSource source, WorkBudget& budget,
                      const SourcedSink& sink);

// The cells of an older copy of a b-tree page (each as `source`), then its
// free space (also as `source`: the copy is what locates it).
void carve_page_copy(const CellReader& reader, uint32_t page_number, RecordSource source, WorkBudget& budget,
                     const SourcedSink& sink);

}  // namespace quen::records::recovery
