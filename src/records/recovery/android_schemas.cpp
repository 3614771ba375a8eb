#include "records/recovery/android_schemas.h"

#include <map>

#include "records/recovery/cell_reader.h"
#include "records/recovery/page_map.h"
#include "records/recovery/sql_layouts.h"
#include "records/sqlite/btree_page.h"

namespace quen::records::recovery {

// Defined in the source the build generates from android_schemas/*.sql.
extern const char* const kAndroidSchemaNames[];
extern const char* const kAndroidSchemaTexts[];
extern const size_t kAndroidSchemaCount;

namespace {

constexpr size_t kCellsToVote = 200;

bool same_layout(const Table& a, const Table& b) {
    if (a.name != b.name || a.columns.size() != b.columns.size()) return false;
    for (size_t index = 0; index < a.columns.size(); ++index)
        if (a.columns[index].name != b.columns[index].name) return false;
    return true;
}

}  // namespace

const std::vector<SchemaFile>& android_schema_files() {
    static const std::vector<SchemaFile> files = [] {
        std::vector<SchemaFile> list;
        for (size_t index = 0; index < kAndroidSchemaCount; ++index)
            list.push_back({kAndroidSchemaNames[index], kAndroidSchemaTexts[index]});
        return list;
    }();
    return files;
}

std::vector<std::string> schema_statements(const std::string& text) {
    // Comment lines ("-- ...") say what a file is; they are no statements.
    std::string sql;
    size_t line = 0;
    while (line < text.size()) {
        size_t end = text.find('\n', line);
        if (end == std::string::npos) end = text.size();
        if (text.compare(line, 2, "--") != 0) sql.append(text, line, end - line).push_back('\n');
        line = end + 1;
    }
    std::vector<std::string> statements;
    size_t start = 0;
    while (start < sql.size()) {
        const size_t end = sql.find(';', start);
        std::string statement = sql.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const size_t first = statement.find_first_not_of(" \t\r\n");
        if (first != std::string::npos) statements.push_back(statement.substr(first));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return statements;
}

namespace {

// Every distinct table layout of the schema files. They are compiled in, so
// they are read once: SQLite reads each of the hundreds of statements into an
// in-memory database of its own, which costs more than searching a small
// damaged file.
const Schema& android_layouts() {
    static const Schema layouts = [] {
        Schema candidates;
        candidates.from_fallback = true;
        for (const SchemaFile& file : android_schema_files())
            for (const std::string& statement : schema_statements(file.sql)) {
                auto table = table_from_sql(statement);
                if (!table) continue;
                bool known = false;
                for (const Table& other : candidates.tables) known = known || same_layout(other, *table);
                if (!known) candidates.tables.push_back(std::move(*table));
            }
        return candidates;
    }();
    return layouts;
}

}  // namespace

Schema android_fallback_schema(const DatabaseView& view, WorkBudget& budget) {
    const Schema& candidates = android_layouts();

    // Roots: table pages that no interior page points to.
    const uint32_t count = view.page_count();
    std::vector<uint8_t> child(size_t{count} + 1, 0);
    for (uint32_t number = 2; number <= count && budget.spend(1); ++number) {
        const auto bytes = view.page(number);
        const auto header = sqlite::read_btree_header(bytes, number, view.usable_size());
        if (!header || header->leaf()) continue;
        for (uint32_t offset : sqlite::cell_offsets(bytes, *header, view.usable_size())) {
            uint32_t target = 0;
            if (sqlite::read_be32(bytes, offset, target) && target <= count) child[target] = 1;
        }
        if (header->right_child <= count) child[header->right_child] = 1;
    }
    std::map<int, std::pair<uint32_t, size_t>> best_root;  // table -> (root, votes)
    const MatchContext context{candidates, view.header().encoding, view.usable_size(), -1, nullptr};
    for (uint32_t root = 2; root <= count; ++root) {
        const auto header = sqlite::read_btree_header(view.page(root), root, view.usable_size());
        if (!header || !header->table() || child[root]) continue;
        std::map<int, size_t> votes;
        size_t cells = 0;
        std::vector<uint8_t> seen;
        walk_tree(view, root, seen, [&](uint32_t, std::span<const uint8_t> bytes,
                                        const sqlite::BtreePageHeader& page_header) {
            if (page_header.type != 13 || cells >= kCellsToVote) return;
            const CellReader reader(context, bytes, CellKind::Table, view.bytes_in_files());
            for (uint32_t offset : sqlite::cell_offsets(bytes, page_header, view.usable_size())) {
                if (cells >= kCellsToVote || !budget.spend(16)) break;
                ++cells;
                if (auto found = reader.intact(offset, reader.area())) ++votes[found->match.table];
            }
        });
        for (const auto& [table, count_of] : votes)
            if (count_of > best_root[table].second) best_root[table] = {root, count_of};
    }

    Schema schema;
    schema.from_fallback = true;
    for (const auto& [table, root] : best_root) {
        Table chosen = candidates.tables[static_cast<size_t>(table)];
        chosen.root_page = root.first;
        schema.tables.push_back(std::move(chosen));
    }
    // The newest layout of every other name, for rows in free pages.
    for (auto table = candidates.tables.rbegin(); table != candidates.tables.rend(); ++table)
        if (schema.find_table(table->name) < 0) {
            Table kept = *table;
            kept.root_page = 0;
            kept.dropped = true;
            schema.tables.push_back(std::move(kept));
        }
    return schema;
}

}  // namespace quen::records::recovery
