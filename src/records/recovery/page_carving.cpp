#include "records/recovery/page_carving.h"

#include <algorithm>
#include <vector>

#include "records/sqlite/btree_page.h"

namespace quen::records::recovery {

namespace {

// Cells listed in the page's pointer array, read intact; the bytes they
// cover are returned so that carving skips them.
std::vector<std::pair<uint32_t, uint32_t>> listed_cells(const CellReader& reader, const sqlite::BtreePageHeader& header,
                                                        RecordSource source, const SourcedSink& sink) {
    std::vector<std::pair<uint32_t, uint32_t>> spans;
    for (uint32_t offset : sqlite::cell_offsets(reader.page(), header, reader.area())) {
        if (auto found = reader.intact(offset, reader.area())) {
            spans.emplace_back(found->shape.start, found->shape.end);
            sink(std::move(*found), source);
        }
    }
    std::sort(spans.begin(), spans.end());
    return spans;
}

// Carves [from, to) less the spans of cells already read.
void carve_between(const CellReader& reader, uint32_t from, uint32_t to,
                   const std::vector<std::pair<uint32_t, uint32_t>>& taken, RecordSource source, WorkBudget& budget,
                   const SourcedSink& sink) {
    uint32_t at = from;
    auto carve = [&](uint32_t end) {
        if (end > at) carve_region(reader, {at, end, false}, budget, [&](Candidate&& found) { sink(std::move(found), source); });
    };
    for (const auto& [start, end] : taken) {
        if (end <= at) continue;
        carve(std::min(start, to));
        at = std::max(at, end);
        if (at >= to) return;
    }
    carve(to);
}

// The page's freeblocks and its unallocated gap.
void carve_free_stretches(const CellReader& reader, const sqlite::BtreePageHeader& header, WorkBudget& budget,
                          const SourcedSink& sink) {
    for (const auto& block : sqlite::freeblocks(reader.page(), header, reader.area()))
        carve_region(reader, {block.offset, block.offset + block.size, true}, budget,
                     [&](Candidate&& found) { sink(std::move(found), RecordSource::Freeblock); });
    const auto gap = sqlite::unallocated_gap(header, reader.area());
    carve_region(reader, {gap.offset, gap.offset + gap.size, false}, budget,
                 [&](Candidate&& found) { sink(std::move(found), RecordSource::Unallocated); });
}

}  // namespace

void carve_free_space(const CellReader& reader, uint32_t page_number, WorkBudget& budget, const SourcedSink& sink) {
    if (const auto header = sqlite::read_btree_header(reader.page(), page_number, reader.area()))
        carve_free_stretches(reader, *header, budget, sink);
}

void carve_whole_page(const CellReader& reader, uint32_t page_number, RecordSource source, WorkBudget& budget,
                      const SourcedSink& sink) {
    std::vector<std::pair<uint32_t, uint32_t>> taken;
    if (const auto header = sqlite::read_btree_header(reader.page(), page_number, reader.area())) {
        taken = listed_cells(reader, *header, source, sink);
        // Freeblocks keep their known cell starts.
        for (const auto& block : sqlite::freeblocks(reader.page(), *header, reader.area())) {
            carve_region(reader, {block.offset, block.offset + block.size, true}, budget,
                         [&](Candidate&& found) { sink(std::move(found), source); });
            taken.emplace_back(block.offset, block.offset + block.size);
        }
        std::sort(taken.begin(), taken.end());
    }
    carve_between(reader, page_number == 1 ? 100 : 0, reader.area(), taken, source, budget, sink);
}

void carve_page_copy(const CellReader& reader, uint32_t page_number, RecordSource source, WorkBudget& budget,
                     const SourcedSink& sink) {
    const auto header = sqlite::read_btree_header(reader.page(), page_number, reader.area());
    if (!header) {
        carve_whole_page(reader, page_number, source, budget, sink);
        return;
    }
    listed_cells(reader, *header, source, sink);
    carve_free_stretches(reader, *header, budget,
                         [&](Candidate&& found, RecordSource) { sink(std::move(found), source); });
}

}  // namespace quen::records::recovery
