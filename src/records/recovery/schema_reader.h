#pragma once
// The schema of the database under recovery: the live rows of sqlite_master
// (page 1's tree) give its tables and indexes; its deleted rows give the
// tables that were dropped and older layouts of tables that were altered
// (rows written before ALTER TABLE ADD COLUMN are shorter). When page 1 holds
// no schema at all, the Android schemas kept as data stand in, and each
// table's tree is found by matching the trees of the file to them.
#include <string>
#include <vector>

#include "records/recovery/database_view.h"
#include "records/recovery/schema.h"
#include "records/recovery/work_budget.h"

namespace quen::records::recovery {

// `older`: the view's older page images, as older_images() lists them.
Schema read_schema(const DatabaseView& view, const std::vector<PageImage>& older, WorkBudget& budget,
                   std::vector<std::string>& notes);

}  // namespace quen::records::recovery
