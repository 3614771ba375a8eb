#include "records/recovery/index_entries.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "records/recovery/cell_reader.h"
#include "records/recovery/page_carving.h"
#include "records/sqlite/btree_page.h"
#include "records/sqlite/record_values.h"

namespace quen::records::recovery {

namespace {

// An index's entries read as the rows of a WITHOUT ROWID table: the indexed
// columns, then the rowid.
Table entry_layout(const Schema& schema, const Index& index) {
    const Table& table = schema.tables[static_cast<size_t>(index.table)];
    Table layout;
    layout.name = index.name;
    layout.without_rowid = true;
    for (int column : index.key_columns) {
        Column key = column >= 0 ? table.columns[static_cast<size_t>(column)] : Column{};
        key.rowid_alias = false;
        key.not_null = false;
        if (column < 0) key.affinity = Affinity::Blob;
        layout.columns.push_back(key);
    }
    Column rowid;
    rowid.name = "rowid";
    rowid.affinity = Affinity::Integer;
    rowid.not_null = true;
    layout.columns.push_back(rowid);
    for (size_t position = 0; position < layout.columns.size(); ++position)
        layout.stored.push_back(static_cast<int>(position));
    layout.fewest_stored = static_cast<uint32_t>(layout.stored.size());
    return layout;
}

}  // namespace

void recover_index_entries(const DatabaseView& view, const Schema& schema, const PageMap& pages,
                           const std::vector<PageImage>& older, WorkBudget& budget,
                           std::vector<RecoveredRecord>& records) {
    if (schema.indexes.empty()) return;
    // One layout per index, in the order of schema.indexes.
    Schema entries;
    for (const Index& index : schema.indexes) entries.tables.push_back(entry_layout(schema, index));

    // Rowids a table can have had: up to twice the largest one known (its
    // newest rows may all be gone); a misread entry claims any number.
    std::map<int, int64_t> largest;
    for (const RecoveredRecord& record : records)
        if (record.rowid) largest[record.table] = std::max(largest[record.table], *record.rowid);
    auto plausible = [&](int table, int64_t rowid) {
        const int64_t known = largest.count(table) ? largest[table] : 0;
        return rowid > 0 && rowid <= std::max<int64_t>(2 * known, known + 1000);
    };

    std::map<std::pair<int, int64_t>, RecoveredRecord> rows;  // (table, rowid) -> joined entries
    auto take = [&](Candidate&& found, uint32_t page, uint32_t frame) {
        const Index& index = schema.indexes[static_cast<size_t>(found.match.table)];
        const auto& values = found.match.values;
        const auto& rowid = values.back();
        if (!rowid || rowid->type != sqlite::ValueType::Integer || !plausible(index.table, rowid->integer)) return;
        const Table& table = schema.tables[static_cast<size_t>(index.table)];
        auto [entry, added] = rows.try_emplace({index.table, rowid->integer});
        RecoveredRecord& record = entry->second;
        if (added) {
            record.table = index.table;
            record.rowid = rowid->integer;
            record.deleted = true;
            record.source = RecordSource::Index;
            record.page = page;
            record.offset = found.shape.start;
            record.frame = frame;
            record.partial = true;
            record.values.assign(table.columns.size(), std::nullopt);
            if (table.rowid_alias >= 0) record.values[static_cast<size_t>(table.rowid_alias)] = *rowid;
        }
        for (size_t key = 0; key < index.key_columns.size(); ++key) {
            const int column = index.key_columns[key];
            if (column < 0 || !values[key]) continue;
            auto& slot = record.values[static_cast<size_t>(column)];
            if (!slot) slot = values[key];
        }
    };

    const uint64_t largest_payload = view.bytes_in_files();
    auto carve = [&](std::span<const uint8_t> bytes, uint32_t number, int owner_index, bool copy, uint32_t frame) {
        const MatchContext context{entries, view.header().encoding, view.usable_size(), owner_index, nullptr};
        const CellReader reader(context, bytes, CellKind::Index, largest_payload);
        auto sink = [&](Candidate&& found, RecordSource) { take(std::move(found), number, frame); };
        if (copy) carve_page_copy(reader, number, RecordSource::Index, budget, sink);
        else carve_free_space(reader, number, budget, sink);
    };
    for (uint32_t number = 1; number <= view.page_count() && !budget.exhausted(); ++number) {
        const PageInfo& info = pages[number];
        if ((info.role == PageRole::IndexLeaf || info.role == PageRole::IndexInterior) && info.index >= 0)
            carve(view.page(number), number, info.index, false, 0);
    }
    for (const PageImage& image : older) {
        if (budget.exhausted()) break;
        const auto header = sqlite::read_btree_header(image.bytes, image.page, view.usable_size());
        if (!header || !header->index()) continue;
        carve(image.bytes, image.page, pages[image.page].index, true, image.frame);
    }
    for (auto& [key, record] : rows) records.push_back(std::move(record));
}

namespace {

// Whether every value `entry` knows (the rowid alias aside) is known and
// equal in `row`; at least one must be compared.
bool agrees(const Table& table, const RecoveredRecord& entry, const RecoveredRecord& row) {
    bool compared = false;
    for (size_t column = 0; column < entry.values.size(); ++column) {
        if (static_cast<int>(column) == table.rowid_alias || !entry.values[column]) continue;
        if (column >= row.values.size() || !row.values[column] || !(*row.values[column] == *entry.values[column]))
            return false;
        compared = true;
    }
    return compared;
}

// The first value an index record knows, the rowid alias aside: the key
// that picks out the rows it may belong to.
int first_known(const Table& table, const RecoveredRecord& entry) {
    for (size_t column = 0; column < entry.values.size(); ++column)
        if (static_cast<int>(column) != table.rowid_alias && entry.values[column]) return static_cast<int>(column);
    return -1;
}

std::string value_key(const sqlite::Value& value) {
    std::string key;
    sqlite::append_value_key(key, value);
    return key;
}

}  // namespace

void give_rowids_from_index_entries(const Schema& schema, std::vector<RecoveredRecord>& records) {
    const auto valid = [&](int table) { return table >= 0 && static_cast<size_t>(table) < schema.tables.size(); };
    std::vector<size_t> entries;
    bool rowless = false;
    for (size_t at = 0; at < records.size(); ++at) {
        const RecoveredRecord& record = records[at];
        if (!record.deleted || !valid(record.table)) continue;
        if (record.source == RecordSource::Index && record.rowid) entries.push_back(at);
        else if (!record.rowid && record.source != RecordSource::Index) rowless = true;
    }
    if (entries.empty() || !rowless) return;

    // Rowid-less records by (table, column, value), built per key column an
    // index record starts with.
    std::map<std::pair<int, int>, std::unordered_multimap<std::string, size_t>> lookups;
    auto lookup = [&](int table, int column) -> const std::unordered_multimap<std::string, size_t>& {
        auto [entry, added] = lookups.try_emplace({table, column});
        if (added)
            for (size_t at = 0; at < records.size(); ++at) {
                const RecoveredRecord& record = records[at];
                if (record.deleted && !record.rowid && record.source != RecordSource::Index && record.table == table &&
                    static_cast<size_t>(column) < record.values.size() && record.values[static_cast<size_t>(column)])
                    entry->second.emplace(value_key(*record.values[static_cast<size_t>(column)]), at);
            }
        return entry->second;
    };

    // Pairs each side of which has no other match.
    std::unordered_map<size_t, size_t> row_of_entry;
    std::unordered_map<size_t, int> entries_of_row;
    for (size_t at : entries) {
        const RecoveredRecord& entry = records[at];
        const Table& table = schema.tables[static_cast<size_t>(entry.table)];
        const int column = first_known(table, entry);
        if (column < 0) continue;
        size_t matches = 0, match = 0;
        auto [first, last] = lookup(entry.table, column).equal_range(value_key(*entry.values[static_cast<size_t>(column)]));
        for (auto it = first; it != last; ++it)
            if (agrees(table, entry, records[it->second])) {
                ++matches;
                match = it->second;
            }
        if (matches != 1) continue;
        row_of_entry[at] = match;
        ++entries_of_row[match];
    }
    std::vector<uint8_t> drop(records.size(), 0);
    for (const auto& [at, row_at] : row_of_entry) {
        if (entries_of_row[row_at] != 1) continue;
        const RecoveredRecord& entry = records[at];
        RecoveredRecord& row = records[row_at];
        const Table& table = schema.tables[static_cast<size_t>(row.table)];
        row.rowid = entry.rowid;
        if (table.rowid_alias >= 0 && static_cast<size_t>(table.rowid_alias) < row.values.size()) {
            row.values[static_cast<size_t>(table.rowid_alias)] = sqlite::Value::of_integer(*entry.rowid);
        }
        for (size_t column = 0; column < row.values.size() && column < entry.values.size(); ++column)
            if (!row.values[column] && entry.values[column]) row.values[column] = entry.values[column];
        row.partial = !std::all_of(row.values.begin(), row.values.end(), [](const auto& value) { return value.has_value(); });
        drop[at] = 1;
    }
    size_t out = 0;
    for (size_t at = 0; at < records.size(); ++at)
        if (!drop[at]) {
            if (out != at) records[out] = std::move(records[at]);
            ++out;
        }
    records.resize(out);
}

}  // namespace quen::records::recovery
