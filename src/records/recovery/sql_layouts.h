#pragma once
// Column layouts from CREATE statements. SQLite itself reads each statement
// into an in-memory database of its own, and its pragmas say what the
// columns are, which are stored, in which order, and which is the rowid
// alias, so no SQL is parsed here. The statements come from the file under
// recovery, so the in-memory database may do nothing else: no attaching, no
// pragmas, bounded work and sizes, and any collation name accepted (Android
// declares its own, LOCALIZED, PHONEBOOK, UNICODE).
#include <optional>
#include <string>
#include <vector>

#include "records/recovery/schema.h"

namespace quen::records::recovery {

// The table a "CREATE TABLE" statement makes, without its root page; empty
// for anything else (virtual tables included) or a statement SQLite refuses.
std::optional<Table> table_from_sql(const std::string& sql);

// The table column of each key field of the index `index_name` that
// `index_sql` makes on the table of `table_sql` (-1 for an expression); for
// an index SQLite made itself for a UNIQUE or PRIMARY KEY constraint
// (`index_sql` empty), the one the table's statement makes under that name.
// Empty when SQLite refuses either statement.
std::vector<int> index_key_columns(const std::string& table_sql, const std::string& index_sql,
                                   const std::string& index_name, const Table& table);

}  // namespace quen::records::recovery
