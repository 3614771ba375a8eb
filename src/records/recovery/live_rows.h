#pragma once
// The live rows of a table: every cell of its b-tree in the current state,
// read as a row of the table. Nothing is judged here: a live row is what
// SQLite would return, whatever its types.
#include <cstdint>
#include <optional>
#include <vector>

#include "records/recovery/database_view.h"
#include "records/recovery/recovered_record.h"
#include "records/recovery/payload.h"

namespace quen::records::recovery {

// The values of a record whose serial types are `types` and whose payload
// (as far as gathered) is `payload`, in the table's column order: the rowid
// alias from `rowid`, columns a short row lacks from their defaults, values
// past the gathered bytes left empty.
std::vector<std::optional<sqlite::Value>> row_values(const Table& table, const std::vector<uint64_t>& types,
                                                      const Payload& payload, uint32_t header_size,
                                                      std::optional<int64_t> rowid, sqlite::TextEncoding encoding);

// Appends the rows of table `table` (rooted at its root page) to `out`, in
// key order, as live records from the b-tree. `seen` guards against loops
// (one flag per page).
void read_live_rows(const DatabaseView& view, const Schema& schema, int table, std::vector<uint8_t>& seen,
                    std::vector<RecoveredRecord>& out);

}  // namespace quen::records::recovery
