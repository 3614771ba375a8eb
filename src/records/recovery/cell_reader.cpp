#include "records/recovery/cell_reader.h"

#include <algorithm>

#include "records/sqlite/record_values.h"
#include "records/sqlite/sqlite_format.h"

namespace quen::records::recovery {

namespace {

// Serial type of an integer of `length` bytes, 0 when no integer has it.
uint64_t integer_type(uint64_t length) {
    switch (length) {
        case 1: case 2: case 3: case 4: return length;
        case 6: return 5;
        case 8: return 6;
        default: return 0;
    }
}

// The serial types a lost first type may have been, given its value's
// length and its column, most likely first.
std::vector<uint64_t> first_type_options(const Column& column, uint64_t length) {
    if (length == 0) return {column.not_null ? sqlite::kSerialTypeZero : 0};
    const uint64_t text = 13 + 2 * length, blob = 12 + 2 * length, integer = integer_type(length);
    std::vector<uint64_t> options;
    auto add = [&](uint64_t type) {
        if (type != 0) options.push_back(type);
    };
    switch (column.affinity) {
        case Affinity::Real:
            if (length == 8) add(7);
            add(integer);
            break;
        case Affinity::Integer:
        case Affinity::Numeric:
            add(integer);
            if (length == 8) add(7);
            break;
        case Affinity::Text:
            add(text);
            add(blob);
            break;
        case Affinity::Blob:
            add(text);
            add(integer);
            if (length == 8) add(7);
            add(blob);
            break;
    }
    return options;
}

}  // namespace

// Serial types read from one position up to the first that is not valid (or
// the end), with running totals: width[c] and body[c] are the header bytes
// and the value bytes of the first c types.
CellReader::TypeRun CellReader::read_type_run(std::span<const uint8_t> bytes, uint32_t at) const {
    TypeRun run;
    run.width.push_back(0);
    run.body.push_back(0);
    uint32_t width = 0;
    uint64_t body = 0;
    while (run.types.size() < most_types_ && at + width < bytes.size()) {
        uint64_t type = 0;
        width += sqlite::read_varint(bytes, at + width, type);
        if (!sqlite::valid_serial_type(type)) break;
        body += sqlite::serial_type_length(type);
        if (body > largest_payload_) break;
        run.types.push_back(type);
        run.width.push_back(width);
        run.body.push_back(body);
    }
    return run;
}

CellReader::CellReader(const MatchContext& context, std::span<const uint8_t> page, CellKind kind,
                       uint64_t largest_payload)
    : context_(context), page_(page), kind_(kind), largest_payload_(largest_payload) {
    for (const Table& table : context.schema.tables) most_types_ = std::max(most_types_, table.stored.size());
    area_ = static_cast<uint32_t>(std::min<size_t>(context.usable, page.size()));
}

bool CellReader::looks_like_freeblock_header(uint32_t at) const {
    const auto area = page_.first(area_);
    uint32_t next = 0, size = 0;
    if (!sqlite::read_be16(area, at + sqlite::kFreeblockNextOffset, next) ||
        !sqlite::read_be16(area, at + sqlite::kFreeblockSizeOffset, size))
        return false;
    return (next == 0 || (next > at && next < area_)) && size >= 4 && at + size <= area_;
}

bool CellReader::finish_shape(CellShape& shape, uint32_t limit) const {
    if (shape.payload_size == 0 || shape.payload_size > largest_payload_) return false;
    const uint64_t local = sqlite::local_payload_bytes(shape.payload_size, context_.usable, kind_ == CellKind::Index);
    const bool spills = local < shape.payload_size;
    const uint64_t end = uint64_t{shape.payload_at} + local + (spills ? 4 : 0);
    if (end > limit || shape.header_size > local) return false;
    shape.local_size = static_cast<uint32_t>(local);
    shape.end = static_cast<uint32_t>(end);
    shape.overflow_page = 0;
    if (spills && (!sqlite::read_be32(page_, shape.payload_at + local, shape.overflow_page) || shape.overflow_page == 0))
        return false;
    return true;
}

std::optional<Candidate> CellReader::intact(uint32_t start, uint32_t limit) const {
    limit = std::min(limit, area_);
    if (start >= limit) return std::nullopt;
    const auto bytes = page_.first(limit);
    CellShape shape;
    shape.start = start;
    shape.intact = shape.header_size_known = true;
    uint32_t at = start;
    at += sqlite::read_varint(bytes, at, shape.payload_size);
    if (kind_ == CellKind::Table) {
        if (at >= limit) return std::nullopt;
        uint64_t rowid = 0;
        at += sqlite::read_varint(bytes, at, rowid);
        shape.rowid = static_cast<int64_t>(rowid);
    }
    if (at >= limit) return std::nullopt;
    shape.payload_at = at;
    if (!finish_shape(shape, limit)) return std::nullopt;
    RecordHeader header;
    if (!read_record_header(bytes.subspan(at, shape.local_size), shape.payload_size, most_types_, header))
        return std::nullopt;
    shape.header_size = header.header_size;
    shape.types = std::move(header.types);
    auto match = best_table(context_, shape, page_, kind_ == CellKind::Index);
    if (!match) return std::nullopt;
    return Candidate{std::move(shape), std::move(*match)};
}

bool CellReader::choose(std::vector<Candidate>& readings, CellShape shape, std::span<const uint32_t> ends,
                        int only_table) const {
    shape.ends_at_boundary = std::find(ends.begin(), ends.end(), shape.end) != ends.end();
    // A row shorter than its table (written before columns were added) is
    // only believed where its end is known: a boundary, or the start of what
    // reads as the next cell, intact or headed by an old freeblock header.
    bool followed = false;
    if (!shape.ends_at_boundary && !shape.header_size_known && only_table >= 0 &&
        shape.types.size() < context_.schema.tables[static_cast<size_t>(only_table)].stored.size())
        followed = looks_like_freeblock_header(shape.end) || intact(shape.end, area_);
    shape.ends_at_boundary = shape.ends_at_boundary || followed;
    auto match = only_table >= 0 ? match_table(context_, only_table, shape, page_)
                                 : best_table(context_, shape, page_, kind_ == CellKind::Index);
    if (!match) return false;
    if (shape.ends_at_boundary && !followed) match->score += 3;
    if (match->score < kLeastDamagedScore) return false;
    // The best reading for each end.
    for (Candidate& reading : readings)
        if (reading.shape.end == shape.end) {
            if (match->score > reading.match.score) reading = Candidate{std::move(shape), std::move(*match)};
            return true;
        }
    readings.push_back(Candidate{std::move(shape), std::move(*match)});
    return true;
}

std::optional<Candidate> CellReader::overwritten(uint32_t start, uint32_t limit, std::span<const uint32_t> ends,
                                                 bool stale_header, uint32_t stale_end) const {
    auto readings = overwritten_readings(start, limit, ends, stale_header, stale_end);
    if (readings.empty()) return std::nullopt;
    return std::move(readings.front());
}

std::vector<Candidate> CellReader::overwritten_readings(uint32_t start, uint32_t limit,
                                                       std::span<const uint32_t> ends, bool stale_header,
                                                       uint32_t stale_end) const {
    std::vector<Candidate> readings;
    limit = std::min(limit, area_);
    constexpr uint32_t kLost = 4;  // bytes the freeblock header took
    if (start + kLost >= limit) return readings;
    const auto bytes = page_.first(limit);
    if (stale_header && !looks_like_freeblock_header(start)) return readings;
    const bool table_cell = kind_ == CellKind::Table;
    // What precedes the record header: the payload length varint, and for a
    // table cell the rowid varint; `prefix` bytes in all.
    auto prefix_fits = [&](uint64_t payload, uint32_t prefix) {
        const uint32_t length_bytes = sqlite::varint_length(payload);
        if (!table_cell) return length_bytes == prefix;
        return length_bytes < prefix && prefix - length_bytes <= sqlite::kMaxVarintBytes;
    };

    std::vector<uint64_t> types;  // reused by every prefix tried

    // The header length survived: the prefix is longer than the lost bytes.
    // Its surviving bytes are the rowid's: continuation bytes, then its last.
    for (uint32_t prefix = kLost; table_cell && prefix <= 12 && start + prefix < limit; ++prefix) {
        if (prefix > kLost && bytes[start + prefix - 1] >= 0x80) continue;
        bool continuation = true;
        for (uint32_t at = start + kLost; at + 1 < start + prefix; ++at) continuation = continuation && bytes[at] >= 0x80;
        if (!continuation) continue;
        const uint32_t payload_at = start + prefix;
        uint64_t header_size = 0;
        const uint32_t width = sqlite::read_varint(bytes, payload_at, header_size);
        if (header_size <= width || header_size > 9 * most_types_ + width) continue;
        uint32_t at = payload_at + width;
        uint64_t body = 0;
        bool ok = true;
        types.clear();
        while (ok && at < payload_at + header_size) {
            uint64_t type = 0;
            if (at >= limit || types.size() >= most_types_) ok = false;
            else {
                at += sqlite::read_varint(bytes, at, type);
                ok = sqlite::valid_serial_type(type);
                types.push_back(type);
                body += sqlite::serial_type_length(type);
                ok = ok && body <= largest_payload_;
            }
        }
        if (!ok || at != payload_at + header_size) continue;
        CellShape shape;
        shape.start = start;
        shape.payload_at = payload_at;
        shape.header_size_known = true;
        shape.header_size = static_cast<uint32_t>(header_size);
        shape.types = types;
        shape.payload_size = header_size + body;
        if (!prefix_fits(shape.payload_size, prefix) || !finish_shape(shape, limit)) continue;
        choose(readings, std::move(shape), ends, -1);
    }

    // The header length was lost (its one byte among the four), the serial
    // types after it were not; or the first serial type was lost with it.
    // Without the length, each table's column count says where the types end.
    // A whole row read with its header length, ending where it must: no
    // other reading of these bytes can do better.
    for (const Candidate& reading : readings)
        if (reading.shape.header_size_known && reading.shape.ends_at_boundary &&
            reading.shape.types.size() == context_.schema.tables[static_cast<size_t>(reading.match.table)].stored.size())
            return {reading};

    // Prefixes of 3 bytes: the header length was the fourth lost byte; of 2:
    // the first serial type was too. Without the header length, each table's
    // column count says where the types end; rows written before columns
    // were added are shorter, so every count is tried, and a short one is
    // only kept when the cell ends where it must. The serial types after the
    // lost bytes are read once (and once more a byte later, for a lost first
    // type that took two bytes); counts are prefixes of them.
    const uint32_t all_types_prefix = 3;
    const uint32_t first_lost_prefix = 2;
    const TypeRun at_lost_end = read_type_run(bytes, start + kLost);
    const TypeRun one_later = read_type_run(bytes, start + kLost + 1);
    std::vector<uint32_t> inference_ends(ends.begin(), ends.end());
    if (stale_end != 0) inference_ends.push_back(stale_end);
    auto plausible_end = [&](uint64_t payload, uint32_t prefix, const Table& table, size_t count) {
        const uint64_t local = sqlite::local_payload_bytes(payload, context_.usable, !table_cell);
        const uint64_t end = uint64_t{start} + prefix + local + (local < payload ? 4 : 0);
        if (end > limit) return false;
        if (count == table.stored.size()) return true;
        const auto at = static_cast<uint32_t>(end);
        return std::find(ends.begin(), ends.end(), at) != ends.end() || looks_like_freeblock_header(at) ||
               intact(at, area_).has_value();
    };
    auto shape_of = [&](uint32_t prefix, uint64_t header_size, uint64_t payload) {
        CellShape shape;
        shape.start = start;
        shape.payload_at = start + prefix;
        shape.header_size = static_cast<uint32_t>(header_size);
        shape.payload_size = payload;
        return shape;
    };
    for (size_t index = 0; index < context_.schema.tables.size(); ++index) {
        const Table& table = context_.schema.tables[index];
        if (table.without_rowid == table_cell) continue;
        const int table_index = static_cast<int>(index);
        const Column& first = table.columns[static_cast<size_t>(table.stored[0])];
        for (size_t count = 1; count <= table.stored.size(); ++count) {
            // Every serial type after the lost bytes.
            if (count <= at_lost_end.count() && at_lost_end.width[count] + 1 < 0x80) {
                const uint64_t header_size = at_lost_end.width[count] + 1;
                const uint64_t payload = header_size + at_lost_end.body[count];
                if (prefix_fits(payload, all_types_prefix) && plausible_end(payload, all_types_prefix, table, count)) {
                    CellShape shape = shape_of(all_types_prefix, header_size, payload);
                    shape.types.assign(at_lost_end.types.begin(), at_lost_end.types.begin() + static_cast<long>(count));
                    if (finish_shape(shape, limit)) choose(readings, std::move(shape), ends, table_index);
                }
            }
            if (count < 2 || count - 1 > at_lost_end.count()) continue;
            // The first serial type lost too. A rowid alias's is always NULL.
            if (first.rowid_alias) {
                const uint64_t header_size = at_lost_end.width[count - 1] + 2;
                const uint64_t payload = header_size + at_lost_end.body[count - 1];
                if (header_size < 0x80 && prefix_fits(payload, first_lost_prefix) &&
                    plausible_end(payload, first_lost_prefix, table, count)) {
                    CellShape shape = shape_of(first_lost_prefix, header_size, payload);
                    shape.types.push_back(0);
                    shape.types.insert(shape.types.end(), at_lost_end.types.begin(),
                                       at_lost_end.types.begin() + static_cast<long>(count - 1));
                    if (finish_shape(shape, limit)) choose(readings, std::move(shape), ends, table_index);
                }
                continue;
            }
            // Any other's follows from where the cell ends. It took one byte
            // (a short value), or two, whose second byte survived as the
            // first byte after the lost ones.
            for (uint32_t end : inference_ends) {
                if (end <= start + kLost || end > limit) continue;
                const uint64_t payload = end - start - first_lost_prefix;
                if (!prefix_fits(payload, first_lost_prefix)) continue;
                for (uint32_t first_width = 1; first_width <= 2; ++first_width) {
                    const TypeRun& run = first_width == 1 ? at_lost_end : one_later;
                    if (first_width == 2 && bytes[start + kLost] >= 0x80) continue;
                    if (count - 1 > run.count()) continue;
                    const uint64_t header_size = 1 + first_width + run.width[count - 1];
                    const uint64_t body = run.body[count - 1];
                    if (header_size >= 0x80 || header_size + body > payload) continue;
                    const uint64_t first_length = payload - header_size - body;
                    for (uint64_t type : first_type_options(first, first_length)) {
                        if ((type >= 0x80) != (first_width == 2)) continue;
                        if (first_width == 2 && (type & 0x7F) != bytes[start + kLost]) continue;
                        CellShape shape = shape_of(first_lost_prefix, header_size, payload);
                        shape.types.push_back(type);
                        shape.types.insert(shape.types.end(), run.types.begin(),
                                           run.types.begin() + static_cast<long>(count - 1));
                        if (first_length == 0) shape.ambiguous.push_back(0);
                        if (!finish_shape(shape, limit)) continue;
                        if (choose(readings, std::move(shape), ends, table_index)) break;
                    }
                }
            }
        }
    }
    std::stable_sort(readings.begin(), readings.end(),
                     [](const Candidate& a, const Candidate& b) { return a.match.score > b.match.score; });
    return readings;
}

}  // namespace quen::records::recovery
