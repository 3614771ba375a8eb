#pragma once
// The two tables that turn a contact data row's mimetype id into a field kind:
// the fixed table of Android mimetype texts, and the process-wide table of
// the ids one contacts database gives those texts.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "records/model/field_kind.h"

namespace quen::records {

// --- mimetype-to-kind table (built once per process, never rebuilt) ---

// Makes sure the table exists; cheap after the first call.
void ensure_mimetype_kind_table();
// The whole table, mimetype text -> kind.
const std::map<std::string, FieldKind, std::less<>>& mimetype_kind_table();
// Exact, case-sensitive lookup of the whole text; 0 when not in the table.
FieldKind kind_for_mimetype(std::string_view mimetype);

// --- mimetype id table (process-wide, refilled by the contacts reader) ---

using MimetypeIdTable = std::map<int32_t, std::string>;
// The process-wide table. Only the contacts reader writes it and only the
// free-space scan of contacts reads it, both on the read thread, so there is
// no lock.
MimetypeIdTable& mimetype_id_table();
// The text filed under `id`; empty when the id is not in the table.
std::string mimetype_text_for_id(int32_t id);
// Kind of a data row's mimetype id through both tables (0 when either fails).
FieldKind kind_for_mimetype_id(int32_t id);

}  // namespace quen::records
