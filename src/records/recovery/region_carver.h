#pragma once
// Carving one free region of a page (a freeblock, the unallocated gap, a
// whole freed page) for deleted cells. Cells lie back to back in the region,
// so each one found says where the next may start:
// 1. from a known cell start (a freeblock's first byte), and from the end of
//    every cell found, a cell is read intact or, failing that, with its
//    first four bytes overwritten;
// 2. every byte not yet inside a found cell is tried as the start of an
//    intact cell;
// 3. every such byte that looks like an old freeblock header (next offset 0
//    or further on, a size that stays on the page) is tried as an
//    overwritten cell.
// Each found cell goes to the sink once; the bytes it covers are not tried
// again. Work is bounded by the region's length and the budget.
#include <cstdint>
#include <functional>
#include <span>

#include "records/recovery/cell_reader.h"
#include "records/recovery/work_budget.h"

namespace quen::records::recovery {

struct Region {
    uint32_t start = 0;
    uint32_t end = 0;
    bool starts_with_cell = false;  // a freeblock: its first byte starts a cell
};

using CandidateSink = std::function<void(Candidate&&)>;

void carve_region(const CellReader& reader, Region region, WorkBudget& budget, const CandidateSink& sink);

}  // namespace quen::records::recovery
