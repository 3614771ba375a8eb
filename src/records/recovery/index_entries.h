#pragma once
// Deleted entries of indexes: an entry holds the indexed values of a row and
// its rowid, so when the row itself is gone (overwritten, or changed in
// place), its entries in the free space of the index's pages, and in older
// copies of them, still give those values. Entries of several indexes with
// one rowid are joined into one partial record of the table.
#include <vector>

#include "records/recovery/database_view.h"
#include "records/recovery/page_map.h"
#include "records/recovery/recovered_record.h"
#include "records/recovery/work_budget.h"

namespace quen::records::recovery {

// Appends a deleted, partial record (source Index) for every rowid of a
// rowid table that its indexes' deleted entries name.
void recover_index_entries(const DatabaseView& view, const Schema& schema, const PageMap& pages,
                           const std::vector<PageImage>& older, WorkBudget& budget,
                           std::vector<RecoveredRecord>& records);

}  // namespace quen::records::recovery
