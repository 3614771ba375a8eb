#pragma once
// The probe of the free-space scan: learns, through SQLite, the root page and
// the column layout of the table to recover from.
#include <optional>
#include <string>

#include "records/free_space_layout.h"

namespace quen::records {

// Contacts mode: `path` must exist and contain "contacts2.db"; table `data`.
// Messages mode: `path` must exist; table `sms`, whose root page is only looked
// up when `path` contains "mmssms.db".
//
// The file is opened read-only: a "-wal" beside it is read by SQLite but never
// checkpointed into the file or deleted, so the raw read that follows sees the
// main file exactly as it was pulled. The column layout is taken from the
// prepared "SELECT *", so a table whose rows are all deleted still has one.
//
// Empty when the file cannot be opened or the table has no columns; otherwise
// the layout as found (check it with layout_is_usable).
std::optional<FreeSpaceLayout> probe_table(FreeSpaceMode mode, const std::string& path);

}  // namespace quen::records
