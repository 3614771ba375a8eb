#pragma once
// The tables of Android's contacts database (contacts2.db) and telephony
// database (mmssms.db) as Android 4.4, 10 and 15 create them, kept as data
// (android_schemas/*.sql, compiled in). They stand in for the schema of a
// pulled database whose first page is lost.
#include <string>
#include <vector>

#include "records/recovery/database_view.h"
#include "records/recovery/schema.h"
#include "records/recovery/work_budget.h"

namespace quen::records::recovery {

struct SchemaFile {
    std::string name;  // "contacts2_10.sql", ...
    std::string sql;   // its statements, each ending with ";"
};

// Every schema file, in name order.
const std::vector<SchemaFile>& android_schema_files();

// The CREATE TABLE statements of one file.
std::vector<std::string> schema_statements(const std::string& sql);

// A schema for `view` made of the Android tables: each table tree of the
// file (a b-tree page no other page points to) is given to the table whose
// layout most of its cells fit. Tables no tree went to are kept (their
// deleted rows may still lie in free pages), one per name.
Schema android_fallback_schema(const DatabaseView& view, WorkBudget& budget);

}  // namespace quen::records::recovery
