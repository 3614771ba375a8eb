#include "records/recovery/record_matcher.h"

#include <cmath>

#include "records/sqlite/record_values.h"
#include "records/sqlite/sqlite_format.h"

namespace quen::records::recovery {

namespace {

// What one decoded value says about the reading being right.
int value_worth(const Column& column, const sqlite::Value& value) {
    switch (value.type) {
        case sqlite::ValueType::Null: return 0;
        case sqlite::ValueType::Text: return value.bytes.empty() ? 0 : (column.affinity == Affinity::Text ? 2 : 1);
        case sqlite::ValueType::Blob: return value.bytes.empty() ? 0 : 1;
        default: return column.affinity == Affinity::Text ? 0 : 1;
    }
}

}  // namespace

int type_fit(const Column& column, uint64_t type) {
    if (!sqlite::valid_serial_type(type)) return 0;
    if (column.rowid_alias) return type == 0 ? 2 : 0;
    if (type == 0) return column.not_null ? 0 : 2;
    const bool text = sqlite::is_text_type(type), blob = sqlite::is_blob_type(type);
    switch (column.affinity) {
        case Affinity::Blob: return 2;
        case Affinity::Text: return text ? 2 : blob ? 1 : 0;  // numbers turn into text on the way in
        case Affinity::Integer:
        case Affinity::Numeric:
        case Affinity::Real: return text || blob ? 1 : 2;
    }
    return 0;
}

std::optional<TableMatch> match_table(const MatchContext& context, int table_index, const CellShape& shape,
                                      std::span<const uint8_t> page) {
    const Table& table = context.schema.tables[static_cast<size_t>(table_index)];
    const size_t count = shape.types.size();
    if (count == 0 || count > table.stored.size()) return std::nullopt;
    // A row shorter than the table was written before columns were added;
    // a cell says so reliably only when its header length, or its end, is
    // known.
    if (count < table.fewest_stored && !shape.intact && !shape.header_size_known && !shape.ends_at_boundary)
        return std::nullopt;

    // Types first: a misfit costs no value decoding.
    int score = shape.intact ? kIntactScore : 0;
    if (shape.header_size_known) score += 4;
    score += count == table.stored.size() ? 2 : -static_cast<int>(table.stored.size() - count);
    if (context.owner == table_index) score += 2;
    for (size_t position = 0; position < count; ++position) {
        const int fit = type_fit(table.columns[static_cast<size_t>(table.stored[position])], shape.types[position]);
        if (fit == 0 || (fit == 1 && !shape.intact)) return std::nullopt;
    }

    TableMatch match;
    match.table = table_index;
    match.values.assign(table.columns.size(), std::nullopt);
    const auto local = page.subspan(shape.payload_at, std::min<size_t>(shape.local_size, page.size() - shape.payload_at));
    static const OverflowPages kNoPages = [](uint32_t) { return std::span<const uint8_t>(); };
    const Payload payload = gather_payload(local, shape.payload_size, shape.overflow_page, context.usable,
                                           context.overflow ? *context.overflow : kNoPages);
    match.from_overflow = payload.from_overflow;

    uint64_t at = shape.header_size;
    int informative = 0, telling = 0;
    for (size_t position = 0; position < count; ++position) {
        const int column_index = table.stored[position];
        const Column& column = table.columns[static_cast<size_t>(column_index)];
        const uint64_t type = shape.types[position];
        const uint64_t length = sqlite::serial_type_length(type);
        if (at + length > shape.payload_size) return std::nullopt;
        if (column.rowid_alias) {
            at += length;
            continue;
        }
        if (at + length > payload.bytes.size()) {
            match.partial = true;  // in a part of the chain that is gone
            at += length;
            continue;
        }
        const auto bytes = payload.bytes.subspan(static_cast<size_t>(at), static_cast<size_t>(length));
        sqlite::Value value = sqlite::decode_value(type, bytes, context.encoding);
        if (value.type == sqlite::ValueType::Real && std::isnan(value.real)) return std::nullopt;  // stored as NULL
        if (value.type == sqlite::ValueType::Text) {
            if (!sqlite::plausible_text(bytes, context.encoding)) return std::nullopt;
            if (column.affinity != Affinity::Text && column.affinity != Affinity::Blob && sqlite::looks_numeric(value.bytes))
                return std::nullopt;
        }
        score += value_worth(column, value);
        // The constants 0 and 1 take no byte, and small numbers are what
        // stray bytes most often read as: neither says much.
        const bool number = value.type == sqlite::ValueType::Integer || value.type == sqlite::ValueType::Real;
        if (number && !(value.type == sqlite::ValueType::Integer && value.integer >= -1 && value.integer <= 1))
            ++informative;
        // A text tells most; a blob only when the cell is whole (any bytes
        // pass for a blob).
        if ((value.type == sqlite::ValueType::Text || (value.type == sqlite::ValueType::Blob && shape.intact)) &&
            !value.bytes.empty())
            ++telling;
        bool ambiguous = false;
        for (uint32_t lost : shape.ambiguous) ambiguous = ambiguous || lost == position;
        if (ambiguous) match.partial = true;
        else match.values[static_cast<size_t>(column_index)] = std::move(value);
        at += length;
    }
    for (size_t position = count; position < table.stored.size(); ++position) {
        const int column_index = table.stored[position];
        match.values[static_cast<size_t>(column_index)] = table.columns[static_cast<size_t>(column_index)].default_value;
    }
    // A reading of NULLs and a number or two is what zeroed or stale bytes
    // most easily pass for: a record is only kept with a text, or with two
    // numbers that say something.
    if (telling == 0 && informative < 2) return std::nullopt;
    if (table.rowid_alias >= 0) {
        if (shape.rowid) match.values[static_cast<size_t>(table.rowid_alias)] = sqlite::Value::of_integer(*shape.rowid);
        else match.partial = true;
    }
    match.score = score;
    return match;
}

std::optional<TableMatch> best_table(const MatchContext& context, const CellShape& shape,
                                     std::span<const uint8_t> page, bool index_cell) {
    std::optional<TableMatch> best;
    for (size_t table = 0; table < context.schema.tables.size(); ++table) {
        if (context.schema.tables[table].without_rowid != index_cell) continue;
        auto match = match_table(context, static_cast<int>(table), shape, page);
        if (match && (!best || match->score > best->score)) best = std::move(match);
    }
    return best;
}

}  // namespace quen::records::recovery
