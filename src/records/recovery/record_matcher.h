#pragma once
// Reading a candidate record as a row of one table: each serial type must be
// one that the column can hold (its affinity, NOT NULL, the rowid alias
// stored as NULL), each value must decode (texts well formed and plausible,
// no NaN, no numeric-looking text in a numeric column), and the whole gets a
// score that says how much the reading is worth, so that the best table (and
// the best reading of a damaged cell) wins and weak readings are dropped.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "records/recovery/payload.h"
#include "records/recovery/schema.h"
#include "records/sqlite/db_header.h"

namespace quen::records::recovery {

struct MatchContext {
    const Schema& schema;
    sqlite::TextEncoding encoding = sqlite::TextEncoding::Utf8;
    uint32_t usable = 0;
    int owner = -1;  // the table whose tree holds the page, -1: none known
    // Pages a deleted record's overflow chain may still be read from.
    const OverflowPages* overflow = nullptr;
};

// A candidate record as read from its cell, before any table is chosen.
struct CellShape {
    uint32_t start = 0;       // first byte of the cell
    uint32_t payload_at = 0;  // first byte of the payload (the header length varint)
    uint32_t end = 0;         // first byte after the cell on the page
    uint64_t payload_size = 0;
    uint32_t local_size = 0;
    uint32_t overflow_page = 0;
    std::optional<int64_t> rowid;
    bool intact = false;             // payload length, rowid and header all read as written
    bool header_size_known = false;  // the header length varint survived
    bool ends_at_boundary = false;   // ends where its freeblock ends or the next cell starts
    uint32_t header_size = 0;
    std::vector<uint64_t> types;     // serial types of the stored columns, in record order
    // Positions whose serial type was lost and inferred from the cell's end:
    // their value is decoded, but one of several types fits it.
    std::vector<uint32_t> ambiguous;
};

struct TableMatch {
    int table = -1;
    int score = 0;
    std::vector<std::optional<sqlite::Value>> values;  // table column order
    bool partial = false;
    bool from_overflow = false;
};

// Score of an intact cell, above which nothing else competes.
constexpr int kIntactScore = 10;
// Least score a reading of a damaged cell needs to be kept.
constexpr int kLeastDamagedScore = 6;

// `shape` read as a row of table `table`: the values in table column order
// (the rowid alias from the rowid when known; columns a short row lacks
// from their defaults), and the score. Empty when the shape cannot be one
// of the table's rows. `page` holds the cell; payload beyond the page is
// gathered through `context.overflow`.
std::optional<TableMatch> match_table(const MatchContext& context, int table, const CellShape& shape,
                                      std::span<const uint8_t> page);

// The best table for `shape`, by score (the page's owner wins a tie), among
// rowid tables for a table cell and WITHOUT ROWID tables for an index cell.
std::optional<TableMatch> best_table(const MatchContext& context, const CellShape& shape,
                                     std::span<const uint8_t> page, bool index_cell);

// Whether serial type `type` can be stored in `column`: 2 fits well, 1 only
// as SQLite's dynamic typing allows (a text in a numeric column, a blob in a
// text column), 0 not at all.
int type_fit(const Column& column, uint64_t type);

}  // namespace quen::records::recovery
