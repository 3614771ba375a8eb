#pragma once
// Deleted-record recovery: rebuilds rows that SQLite has deleted but not yet
// overwritten, from the free space of the table's B-tree leaf pages
// (freeblocks and the unallocated gap between the cell pointer array and the
// cell content area), and files them as deleted records.
//
// contacts2.db, table `data`: each rebuilt row adds its `data1` to the deleted
// contact filed under the positive raw_contact_id.
// mmssms.db, table `sms`: each rebuilt row becomes a deleted message in the
// thread (address, thread_id).
//
// The database is only read: a short probe through SQLite opens it read-only
// (a "-wal" beside it is neither checkpointed nor deleted) to learn the table's
// root page and column layout, then the main file is read as raw bytes.
// Corrupt or hostile files add nothing they cannot back up and never crash or
// hang the scan.
#include <string>

#include "records/record_model.h"

namespace quen::records {

enum class FreeSpaceMode {
    Contacts,  // contacts2.db, table `data`
    Messages,  // mmssms.db, table `sms`
};

// Scans `path` in contacts mode into `contacts`. Does nothing when `mode` is
// not Contacts, the file is missing, its path does not name "contacts2.db", or
// the probe fails. Uses the process-wide mimetype id table unchanged.
void scan_free_space(FreeSpaceMode mode, const std::string& path, ContactMap& contacts);

// Scans `path` in messages mode into `threads`. Does nothing when `mode` is not
// Messages, the file is missing or the probe fails.
void scan_free_space(FreeSpaceMode mode, const std::string& path, ThreadMap& threads);

}  // namespace quen::records
