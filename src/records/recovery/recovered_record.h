#pragma once
// What the recovery finds: every live record of every table, and every
// deleted one it could rebuild, each with where it was found.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "records/model/record_model.h"
#include "records/recovery/schema.h"
#include "records/sqlite/db_header.h"
#include "records/sqlite/record_values.h"

namespace quen::records::recovery {

enum class RecordSource : uint8_t {
    Btree,        // a cell of a table's b-tree page in the main file
    Freeblock,    // a freeblock of a b-tree page
    Unallocated,  // the unallocated gap of a b-tree page, or a page nothing refers to
    Freelist,     // a page on the freelist
    Wal,          // a page image in the write-ahead log
    Journal,      // a page image in the rollback journal
    Overflow,     // a deleted record whose freed overflow chain was still whole
    Index,        // an entry of one of the table's indexes: the indexed values and the rowid
};

const char* source_name(RecordSource source);

struct RecoveredRecord {
    int table = -1;  // index into the schema's tables
    std::optional<int64_t> rowid;
    bool deleted = false;
    RecordSource source = RecordSource::Btree;
    uint32_t page = 0;    // database page of the cell
    uint32_t offset = 0;  // of the cell in that page
    uint32_t frame = 0;   // log frame or journal record holding the page image, 0: none
    bool partial = false;  // some values could not be recovered
    // In the table's column order; empty: not recovered. A rowid alias
    // column carries the rowid.
    std::vector<std::optional<sqlite::Value>> values;
};

// Where a record was found, as the readers and the command line give it.
RecordOrigin origin_of(const RecoveredRecord& record);

struct RecoveryResult {
    std::string file;
    bool header_found = false;  // the file began with a valid database header
    uint32_t page_size = 0;
    sqlite::TextEncoding encoding = sqlite::TextEncoding::Utf8;
    Schema schema;
    std::vector<RecoveredRecord> records;  // live records first, in tree order, then deleted ones
    std::vector<std::string> notes;        // what could not be read, and why
};

}  // namespace quen::records::recovery
