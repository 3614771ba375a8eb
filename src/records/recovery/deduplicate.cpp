#include "records/recovery/deduplicate.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace quen::records::recovery {

namespace {

uint64_t value_hash(const sqlite::Value& value) {
    uint64_t hash = static_cast<uint64_t>(value.type) * 0x9E3779B97F4A7C15ull;
    switch (value.type) {
        case sqlite::ValueType::Null: return hash;
        case sqlite::ValueType::Integer: return hash ^ std::hash<int64_t>{}(value.integer);
        case sqlite::ValueType::Real: return hash ^ std::hash<double>{}(value.real);
        default: return hash ^ std::hash<std::string_view>{}(value.bytes);
    }
}

// Whether `full` agrees with every known value of `part` (and its rowid).
bool covers(const Table& table, const RecoveredRecord& full, const RecoveredRecord& part) {
    if (part.rowid && (!full.rowid || *part.rowid != *full.rowid)) return false;
    for (size_t column = 0; column < part.values.size() && column < full.values.size(); ++column) {
        if (static_cast<int>(column) == table.rowid_alias || !part.values[column]) continue;
        if (!full.values[column] || !(*full.values[column] == *part.values[column])) return false;
    }
    return true;
}

// The column whose value best picks out rows that may cover a record: its
// first known non-empty text or blob, else its first known value; -1 when it
// has none.
int telling_column(const Table& table, const RecoveredRecord& record) {
    int fallback = -1;
    for (size_t column = 0; column < record.values.size(); ++column) {
        if (static_cast<int>(column) == table.rowid_alias || !record.values[column]) continue;
        const auto type = record.values[column]->type;
        if ((type == sqlite::ValueType::Text || type == sqlite::ValueType::Blob) && !record.values[column]->bytes.empty())
            return static_cast<int>(column);
        if (fallback < 0) fallback = static_cast<int>(column);
    }
    return fallback;
}

// Records of one table, found by rowid and by the value of one column, for
// the covering test. Lookups are built when first needed.
class RowIndex {
public:
    explicit RowIndex(const Table& table) : table_(&table) {}

    void add(const RecoveredRecord& record) {
        rows_.push_back(&record);
        const uint32_t at = static_cast<uint32_t>(rows_.size() - 1);
        if (rowids_built_ && record.rowid) by_rowid_.emplace(*record.rowid, at);
        for (auto& [column, lookup] : by_column_) file(lookup, column, at);
    }

    bool covered(const RecoveredRecord& record) {
        if (rows_.empty()) return false;
        if (record.rowid) {
            build_rowids();
            auto [first, last] = by_rowid_.equal_range(*record.rowid);
            for (auto it = first; it != last; ++it)
                if (covers(*table_, *rows_[it->second], record)) return true;
            // Another version of the same row is no repeat of this one.
            if (first != last) return false;
        }
        const int column = telling_column(*table_, record);
        if (column < 0) return true;  // nothing known: nothing to show
        auto& lookup = column_lookup(column);
        auto [first, last] = lookup.equal_range(value_hash(*record.values[static_cast<size_t>(column)]));
        for (auto it = first; it != last; ++it)
            if (covers(*table_, *rows_[it->second], record)) return true;
        return false;
    }

private:
    using Lookup = std::unordered_multimap<uint64_t, uint32_t>;

    void file(Lookup& lookup, int column, uint32_t at) {
        const auto& values = rows_[at]->values;
        if (static_cast<size_t>(column) < values.size() && values[static_cast<size_t>(column)])
            lookup.emplace(value_hash(*values[static_cast<size_t>(column)]), at);
    }

    void build_rowids() {
        if (rowids_built_) return;
        rowids_built_ = true;
        by_rowid_.reserve(rows_.size());
        for (uint32_t at = 0; at < rows_.size(); ++at)
            if (rows_[at]->rowid) by_rowid_.emplace(*rows_[at]->rowid, at);
    }

    Lookup& column_lookup(int column) {
        auto [entry, added] = by_column_.try_emplace(column);
        if (added) {
            entry->second.reserve(rows_.size());
            for (uint32_t at = 0; at < rows_.size(); ++at) file(entry->second, column, at);
        }
        return entry->second;
    }

    const Table* table_;
    std::vector<const RecoveredRecord*> rows_;
    bool rowids_built_ = false;
    std::unordered_multimap<int64_t, uint32_t> by_rowid_;
    std::unordered_map<int, Lookup> by_column_;
};

int completeness(const RecoveredRecord& record) {
    int known = 0;
    for (const auto& value : record.values) known += value.has_value();
    return known * 2 + (record.rowid ? 1 : 0);
}

}  // namespace

void drop_live_copies_and_repeats(const Schema& schema, std::vector<RecoveredRecord>& records) {
    const auto live_first = [](const RecoveredRecord& record) { return !record.deleted; };
    // The recovery lists live records first already; moving them all again
    // would cost as much as the rest.
    const auto first_deleted = std::is_partitioned(records.begin(), records.end(), live_first)
                                   ? std::partition_point(records.begin(), records.end(), live_first)
                                   : std::stable_partition(records.begin(), records.end(), live_first);
    const size_t live_count = static_cast<size_t>(first_deleted - records.begin());
    // Most complete first; of equals, the earlier source.
    std::vector<std::pair<int, size_t>> order;  // (completeness, index) of the deleted ones
    for (size_t at = live_count; at < records.size(); ++at) order.emplace_back(completeness(records[at]), at);
    std::stable_sort(order.begin(), order.end(), [&](const auto& a, const auto& b) {
        const RecoveredRecord &ra = records[a.second], &rb = records[b.second];
        if (ra.table != rb.table) return ra.table < rb.table;
        if (a.first != b.first) return a.first > b.first;
        return static_cast<int>(ra.source) < static_cast<int>(rb.source);
    });

    std::vector<RowIndex> live, kept;
    for (const Table& table : schema.tables) {
        live.emplace_back(table);
        kept.emplace_back(table);
    }
    auto valid = [&](int table) { return table >= 0 && static_cast<size_t>(table) < schema.tables.size(); };
    for (size_t at = 0; at < live_count; ++at)
        if (valid(records[at].table)) live[static_cast<size_t>(records[at].table)].add(records[at]);

    // Records stay in place until the end, so the kept ones' addresses hold.
    std::vector<uint8_t> keep(records.size(), 1);
    for (const auto& [complete, at] : order) {
        const RecoveredRecord& record = records[at];
        if (!valid(record.table)) {
            keep[at] = 0;
            continue;
        }
        const auto table = static_cast<size_t>(record.table);
        if (live[table].covered(record) || kept[table].covered(record)) {
            keep[at] = 0;
            continue;
        }
        kept[table].add(record);
    }
    size_t out = 0;
    for (size_t at = 0; at < records.size(); ++at)
        if (keep[at]) {
            if (out != at) records[out] = std::move(records[at]);
            ++out;
        }
    records.resize(out);
}

}  // namespace quen::records::recovery
