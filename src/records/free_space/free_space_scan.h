#pragma once
// Deleted-record recovery: rebuilds rows that SQLite has deleted but not yet
// overwritten, from the free space of the table's B-tree leaf pages
// (freeblocks and the unallocated gap between the cell pointer array and the
// cell content area), and files them as deleted records.
//
// The stages, each in a file of its own: the probe learns the table's root
// page and column layout through SQLite (table_probe.h); the raw read walks
// the table's leaf pages and hands over their free regions (free_regions.h);
// the carver finds lost records in each region (record_carver.h, with the
// row shapes of android_rows.h); this file ties them and files what was found.
//
// contacts2.db, table `data`: each rebuilt row adds its `data1` to the deleted
// contact filed under the positive raw_contact_id.
// mmssms.db, table `sms`: each rebuilt row becomes a deleted message in the
// thread (address, thread_id).
//
// The database is only read: the probe opens it read-only (a "-wal" beside it
// is neither checkpointed nor deleted), then the main file is read as raw
// bytes. Corrupt or hostile files add nothing they cannot back up and never
// crash or hang the scan.
#include <string>

#include "records/free_space/table_probe.h"
#include "records/model/record_model.h"

namespace quen::records {

// Scans `path` in contacts mode into `contacts`. Does nothing when `mode` is
// not Contacts, the file is missing, its path does not name "contacts2.db", or
// the probe fails. Uses the process-wide mimetype id table unchanged.
void scan_free_space(FreeSpaceMode mode, const std::string& path, ContactMap& contacts);

// Scans `path` in messages mode into `threads`. Does nothing when `mode` is not
// Messages, the file is missing or the probe fails.
void scan_free_space(FreeSpaceMode mode, const std::string& path, ThreadMap& threads);

}  // namespace quen::records
