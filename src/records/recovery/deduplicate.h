#pragma once
// Each deleted record once, and none that is a live one. The same deleted
// row survives in many places (a freeblock, an older page copy in the log,
// the journal), and free space holds older cells of rows that are still
// live; the user is shown a row as deleted only when the database does not
// hold it any more.
#include <vector>

#include "records/recovery/recovered_record.h"

namespace quen::records::recovery {

// `records`: the live ones, then the deleted ones. Drops every deleted record
// whose known values equal a live row of its table (and whose rowid, when
// known, is that row's), and every deleted record repeated or covered by a
// more complete one (one that agrees with all its known values). Of repeats,
// the most complete is kept, and of those the one found first in the order
// of RecordSource (the main file before the log and the journal).
void drop_live_copies_and_repeats(const Schema& schema, std::vector<RecoveredRecord>& records);

}  // namespace quen::records::recovery
