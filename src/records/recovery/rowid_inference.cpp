#include "records/recovery/rowid_inference.h"

#include <algorithm>

#include "records/sqlite/btree_page.h"

namespace quen::records::recovery {

namespace {

struct Placed {
    uint32_t start = 0, end = 0;
    std::optional<int64_t> rowid;
    Candidate* candidate = nullptr;  // null: a live cell
};

// Free bytes between cells too few to be a freeblock stay as fragments.
constexpr uint32_t kLargestFragment = 3;

}  // namespace

void infer_rowids(std::span<const uint8_t> page, uint32_t page_number, uint32_t usable, const Schema& schema,
                  int owner, std::vector<Candidate*>& candidates) {
    const auto header = sqlite::read_btree_header(page, page_number, usable);
    if (!header || header->type != 13 || candidates.empty() || owner < 0) return;
    std::vector<Placed> cells;
    for (uint32_t offset : sqlite::cell_offsets(page, *header, usable)) {
        sqlite::Cell cell;
        if (sqlite::read_cell(page, offset, header->type, usable, cell)) cells.push_back({offset, offset + cell.size, cell.rowid, nullptr});
    }
    // Only rows of the page's own table lie between its cells in key order.
    for (Candidate* candidate : candidates)
        if (!candidate->shape.rowid && candidate->match.table == owner)
            cells.push_back({candidate->shape.start, candidate->shape.end, std::nullopt, candidate});
    std::sort(cells.begin(), cells.end(), [](const Placed& a, const Placed& b) { return a.start < b.start; });

    // Runs of unknown rowids, each bounded by touching known cells: the one
    // below (newer) has the higher rowid.
    for (size_t low = 0; low < cells.size(); ++low) {
        if (!cells[low].rowid) continue;
        size_t high = low + 1;
        bool touching = true;
        while (high < cells.size() && !cells[high].rowid) {
            touching = touching && cells[high].start >= cells[high - 1].end &&
                       cells[high].start - cells[high - 1].end <= kLargestFragment;
            ++high;
        }
        if (high >= cells.size() || high == low + 1) continue;
        touching = touching && cells[high].start >= cells[high - 1].end &&
                   cells[high].start - cells[high - 1].end <= kLargestFragment;
        const int64_t newer = *cells[low].rowid, older = *cells[high].rowid;
        const auto unknown = static_cast<int64_t>(high - low - 1);
        if (!touching || newer <= older || newer - older - 1 != unknown) continue;
        // One table for the whole run, the page's.
        int64_t rowid = newer;
        for (size_t at = low + 1; at < high; ++at) {
            Candidate& candidate = *cells[at].candidate;
            candidate.shape.rowid = --rowid;
            const Table& table = schema.tables[static_cast<size_t>(candidate.match.table)];
            if (table.rowid_alias >= 0) {
                candidate.match.values[static_cast<size_t>(table.rowid_alias)] = sqlite::Value::of_integer(rowid);
                candidate.match.partial = std::any_of(candidate.match.values.begin(), candidate.match.values.end(),
                                                      [](const auto& value) { return !value.has_value(); });
            }
        }
        low = high - 1;
    }
}

}  // namespace quen::records::recovery
