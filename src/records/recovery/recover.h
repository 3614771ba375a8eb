#pragma once
// The recovery of one SQLite database: its schema, every live record of
// every table, and every deleted record that survives anywhere in its files:
// in the freeblocks and unallocated gaps of its b-tree pages, in freelist
// pages (whole pages freed by deletes, dropped tables and vacuuming), in
// pages nothing refers to, in older page images in the write-ahead log
// (current, superseded, and left from before the last checkpoint) and in the
// rollback journal, through freed overflow chains still whole. Each deleted
// record is matched against the layouts of the tables and reported only when
// its header and every value fit one; records equal to live rows, and
// repeats, are dropped.
//
// The files are only read (mapped read-only); nothing is created beside
// them. Hostile files give notes, never a crash or a hang: all work is
// bounded by the files' size.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "records/recovery/database_view.h"
#include "records/recovery/recovered_record.h"

namespace quen::records::recovery {

struct RecoveryOptions {
    // Report only the records of these tables (all when empty). Deleted
    // records are still matched against every table, so that none is given
    // to the wrong one.
    std::vector<std::string> tables;
    // Called now and then with the bytes of pages searched and to search;
    // returning false stops the recovery, which keeps what it found so far.
    std::function<bool(uint64_t done, uint64_t total)> progress;
};

// Recovers `files` (the log and journal may be empty: none). False, with
// `error` set, when the database file cannot be read at all.
bool recover_database(const RecoveryFiles& files, const RecoveryOptions& options, RecoveryResult& result,
                      std::string& error);

// The log and journal beside `database` ("-wal", "-journal"), when they exist
// as regular files.
RecoveryFiles files_beside(const std::string& database);

}  // namespace quen::records::recovery
