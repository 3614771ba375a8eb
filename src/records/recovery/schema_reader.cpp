#include "records/recovery/schema_reader.h"

#include <map>
#include <set>

#include "records/recovery/android_schemas.h"
#include "records/recovery/live_rows.h"
#include "records/recovery/page_carving.h"
#include "records/recovery/page_map.h"
#include "records/recovery/sql_layouts.h"
#include "records/sqlite/btree_page.h"

namespace quen::records::recovery {

namespace {

struct SchemaRow {
    std::string type, name, table_name, sql;
    int64_t root = 0;
};

// sqlite_master's own layout. SQLite reserves the name, so the statement
// uses another and the name is put back.
Table master_table() {
    auto table = table_from_sql("CREATE TABLE master(type text, name text, tbl_name text, rootpage integer, sql text)");
    table->name = "sqlite_master";
    table->root_page = 1;
    return *table;
}

std::optional<SchemaRow> schema_row(const std::vector<std::optional<sqlite::Value>>& values) {
    if (values.size() != 5) return std::nullopt;
    auto text = [&](size_t index) -> std::optional<std::string> {
        if (!values[index]) return std::nullopt;
        if (values[index]->type == sqlite::ValueType::Null) return std::string();
        if (values[index]->type != sqlite::ValueType::Text) return std::nullopt;
        return values[index]->bytes;
    };
    SchemaRow row;
    auto type = text(0), name = text(1), table_name = text(2), sql = text(4);
    if (!type || !name || !table_name || !sql || !values[3]) return std::nullopt;
    row.type = *type, row.name = *name, row.table_name = *table_name, row.sql = *sql;
    if (values[3]->type == sqlite::ValueType::Integer) row.root = values[3]->integer;
    return row;
}

// SQLite will not create a table under a reserved name; the layout of one is
// read under another.
std::optional<Table> layout_of(const SchemaRow& row) {
    std::string sql = row.sql;
    if (is_internal_table(row.name)) {
        const size_t at = sql.find(row.name);
        if (at == std::string::npos) return std::nullopt;
        sql.replace(at, row.name.size(), "quen_internal_table");
    }
    auto table = table_from_sql(sql);
    if (!table) return std::nullopt;
    table->name = row.name;
    table->sql = row.sql;
    table->root_page = row.root > 0 && row.root <= int64_t{UINT32_MAX} ? static_cast<uint32_t>(row.root) : 0;
    return table;
}

// Schema rows that were deleted or replaced: in the free space of the pages
// of sqlite_master's tree, and in older copies of those pages.
std::vector<SchemaRow> deleted_schema_rows(const DatabaseView& view, const std::vector<PageImage>& older,
                                           const Schema& master, WorkBudget& budget) {
    std::vector<SchemaRow> rows;
    std::set<std::pair<std::string, std::string>> kept;
    auto keep = [&](Candidate&& found, RecordSource) {
        if (auto row = schema_row(found.match.values); row && !row->sql.empty() && kept.emplace(row->name, row->sql).second)
            rows.push_back(std::move(*row));
    };
    const MatchContext context{master, view.header().encoding, view.usable_size(), 0, nullptr};
    std::set<uint32_t> tree_pages;
    std::vector<uint8_t> seen;
    walk_tree(view, 1, seen, [&](uint32_t number, std::span<const uint8_t> bytes, const sqlite::BtreePageHeader& header) {
        tree_pages.insert(number);
        if (header.type != 13) return;
        const CellReader reader(context, bytes, CellKind::Table, view.bytes_in_files());
        carve_free_space(reader, number, budget, keep);
    });
    for (const PageImage& image : older) {
        if (!tree_pages.count(image.page) && image.page != 1) continue;
        const CellReader reader(context, image.bytes, CellKind::Table, view.bytes_in_files());
        carve_page_copy(reader, image.page, RecordSource::Btree, budget, keep);
    }
    return rows;
}

void add_index(Schema& schema, const SchemaRow& row) {
    const int table = schema.find_table(row.table_name);
    if (table < 0 || row.root <= 0 || row.root > int64_t{UINT32_MAX}) return;
    const Table& owner = schema.tables[static_cast<size_t>(table)];
    if (owner.without_rowid) return;  // its entries hold the key, not a rowid
    Index index;
    index.name = row.name;
    index.table_name = owner.name;
    index.table = table;
    index.root_page = static_cast<uint32_t>(row.root);
    if (is_internal_table(owner.name)) return;
    index.key_columns = index_key_columns(owner.sql, row.sql, row.name, owner);
    if (!index.key_columns.empty()) schema.indexes.push_back(std::move(index));
}

}  // namespace

Schema read_schema(const DatabaseView& view, const std::vector<PageImage>& older, WorkBudget& budget,
                   std::vector<std::string>& notes) {
    Schema master;
    master.tables.push_back(master_table());
    std::vector<RecoveredRecord> live;
    std::vector<uint8_t> seen;
    read_live_rows(view, master, 0, seen, live);

    // sqlite_master is a table like the others to match records against:
    // older copies of its rows lie in the free space of its pages, and must
    // not pass for rows of a user table of five columns.
    Schema schema;
    schema.tables.push_back(master_table());
    std::vector<SchemaRow> index_rows;
    for (const RecoveredRecord& record : live) {
        const auto row = schema_row(record.values);
        if (!row) continue;
        if (row->type == "table") {
            if (auto table = layout_of(*row)) schema.tables.push_back(std::move(*table));
            else if (row->sql.rfind("CREATE VIRTUAL", 0) != 0)
                notes.push_back("table " + row->name + ": its CREATE statement could not be read");
        } else if (row->type == "index") {
            index_rows.push_back(*row);
        }
    }
    for (const SchemaRow& row : index_rows) add_index(schema, row);

    for (const SchemaRow& row : deleted_schema_rows(view, older, master, budget)) {
        if (row.type != "table") continue;
        auto table = layout_of(row);
        if (!table) continue;
        const int live_index = schema.find_table(row.name);
        if (live_index < 0) {
            // A dropped table: its pages went to the freelist.
            table->dropped = true;
            bool known = false;
            for (const Table& other : schema.tables) known = known || (other.dropped && other.sql == table->sql);
            if (!known) schema.tables.push_back(std::move(*table));
            continue;
        }
        // An older layout of a live table: rows written then are shorter.
        Table& current = schema.tables[static_cast<size_t>(live_index)];
        if (table->stored.size() < current.stored.size())
            current.fewest_stored = std::min<uint32_t>(current.fewest_stored, static_cast<uint32_t>(table->stored.size()));
    }

    if (live.empty() && !sqlite::read_btree_header(view.page(1), 1, view.usable_size())) {
        notes.push_back("the schema on page 1 is lost; the Android contacts and messages schemas stand in");
        schema = android_fallback_schema(view, budget);
        schema.tables.insert(schema.tables.begin(), master_table());
    }
    return schema;
}

}  // namespace quen::records::recovery
