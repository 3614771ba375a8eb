#pragma once
// What the recovery knows of a database's tables and indexes: their column
// layouts as records store them, taken from the CREATE statements of the
// database's own schema (or, when that is lost, from the Android schemas kept
// as data).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "records/sqlite/record_values.h"

namespace quen::records::recovery {

// Column affinity, from the declared type by SQLite's rules.
enum class Affinity : uint8_t { Blob, Text, Numeric, Integer, Real };

Affinity affinity_of(std::string_view declared_type);

struct Column {
    std::string name;
    std::string declared_type;
    Affinity affinity = Affinity::Blob;
    bool not_null = false;
    bool rowid_alias = false;  // INTEGER PRIMARY KEY of a rowid table: stored as NULL
    // What a row written before the column was added (ALTER TABLE ADD
    // COLUMN) reads as.
    sqlite::Value default_value;
};

struct Table {
    std::string name;
    uint32_t root_page = 0;
    std::string sql;
    std::vector<Column> columns;  // in the table's order
    bool without_rowid = false;
    bool dropped = false;  // only its deleted schema row is left
    // Record position -> column index: the stored columns in the order the
    // record holds them (WITHOUT ROWID: the key first; generated VIRTUAL
    // columns are not stored).
    std::vector<int> stored;
    int rowid_alias = -1;  // column index, or -1
    // Fewest columns a record of this table was written with: the stored
    // count, less the columns an older layout of the table lacked.
    uint32_t fewest_stored = 0;
};

struct Index {
    std::string name;
    std::string table_name;
    int table = -1;  // index into Schema::tables
    uint32_t root_page = 0;
    // Table column of each key field; -1 for an expression.
    std::vector<int> key_columns;
};

struct Schema {
    std::vector<Table> tables;
    std::vector<Index> indexes;
    // The schema was taken from the Android schemas kept as data, not from
    // the database: its root pages are found by matching pages to tables.
    bool from_fallback = false;

    int find_table(std::string_view name) const;
};

// Tables whose records SQLite keeps for itself (sqlite_master, sqlite_sequence,
// sqlite_stat*): read for the schema, never reported.
bool is_internal_table(std::string_view name);

}  // namespace quen::records::recovery
