#include "records/free_space/record_carver.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "platform/utf8.h"
#include "records/sqlite/sqlite_format.h"

namespace quen::records {

namespace {

constexpr uint64_t kLargestCountedSerialType = UINT32_MAX;

// A column located by the header parse: its serial type and its offset from
// the start of the record's data.
struct ColumnSpot {
    uint64_t type = 0;
    uint64_t offset = 0;
};

// The value of a wanted column whose data starts at `pos`; false when it does
// not lie wholly inside the region or, for a text, fails the text check.
bool read_value(std::span<const uint8_t> region, uint64_t pos, uint64_t type, ValueKind kind, CarvedValue& out) {
    if (kind == ValueKind::Number) return sqlite::read_unsigned_field(region, pos, type, out.number);
    const uint64_t length = sqlite::serial_type_length(type);
    // The whole text inside the region, written so that the sum cannot wrap.
    if (pos > region.size() || region.size() - pos < length) return false;
    out.text = region.subspan(static_cast<size_t>(pos), static_cast<size_t>(length));
    return passes_text_check(out.text);
}

// The values of the wanted columns of a record whose data starts at
// `data_start`; false when one of them does not lie inside the region or a
// text fails the check. Kept out of line: the header loop that calls it runs
// at every byte of free space and keeps its registers to itself.
[[gnu::noinline]] bool read_wanted_values(std::span<const uint8_t> region, const RowPattern& pattern,
                                          const std::array<ColumnSpot, kMaxWantedColumns>& spots, uint64_t data_start,
                                          std::array<CarvedValue, kMaxWantedColumns>& values) {
    const size_t wanted_count = pattern.wanted.size();
    for (size_t index = 0; index < wanted_count; ++index) {
        const ColumnSpot& spot = spots[static_cast<size_t>(pattern.rules[pattern.wanted[index].column].slot)];
        // Every value must at least start inside the region, even one of no bytes.
        if (data_start + spot.offset >= region.size()) return false;
    }
    for (size_t index = 0; index < wanted_count; ++index) {
        const WantedColumn& wanted = pattern.wanted[index];
        const ColumnSpot& spot = spots[static_cast<size_t>(pattern.rules[wanted.column].slot)];
        if (!read_value(region, data_start + spot.offset, spot.type, wanted.kind, values[index])) return false;
    }
    return true;
}

}  // namespace

bool finish_row_pattern(RowPattern& pattern) {
    const size_t column_count = pattern.serial_types.size();
    if (pattern.wanted.size() > kMaxWantedColumns) return false;
    pattern.rules.assign(column_count, {});
    for (size_t column = 0; column < column_count; ++column) {
        const SerialTypeRange& range = pattern.serial_types[column];
        RowPattern::ColumnRule& rule = pattern.rules[column];
        if (range.min > range.max || range.min > kLargestCountedSerialType) {
            // Admits nothing: a first type above every counted one.
            rule.first_type = kLargestCountedSerialType + 1;
            continue;
        }
        rule.first_type = range.min;
        rule.type_span = static_cast<uint32_t>(std::min(range.max, kLargestCountedSerialType) - range.min);
    }
    for (size_t slot = 0; slot < pattern.wanted.size(); ++slot) {
        const uint32_t column = pattern.wanted[slot].column;
        // A value is only located when its column's serial type is read.
        if (column < pattern.first_column || column >= column_count) return false;
        if (pattern.rules[column].slot < 0) pattern.rules[column].slot = static_cast<int32_t>(slot);
    }
    return true;
}

void carve_rows(std::span<const uint8_t> region, const RowPattern& pattern, const CarvedRowSink& sink) {
    const size_t region_bytes = region.size();
    const size_t column_count = pattern.serial_types.size();
    const size_t wanted_count = pattern.wanted.size();
    // A pattern that was not finished could locate nothing.
    if (region_bytes < pattern.min_region_bytes || pattern.rules.size() != column_count ||
        wanted_count > kMaxWantedColumns)
        return;

    // Read once into locals: this loop runs for every byte of free space.
    const RowPattern::ColumnRule* const rules = pattern.rules.data();
    const unsigned max_width = pattern.max_serial_type_bytes;
    const size_t first_column = pattern.first_column;
    std::array<ColumnSpot, kMaxWantedColumns> spots{};
    std::array<CarvedValue, kMaxWantedColumns> values{};
    for (size_t start = 0; start < region_bytes; ++start) {
        size_t pos = start;
        uint64_t data_offset = 0;
        bool header_fits = true;
        for (size_t column = first_column; column < column_count; ++column) {
            // A serial type list that runs past the region is not a record here.
            if (pos >= region_bytes) {
                header_fits = false;
                break;
            }
            uint64_t type = 0;
            const unsigned width = sqlite::read_varint(region, pos, type);
            pos += width;
            if (type > kLargestCountedSerialType) type = kLargestCountedSerialType;
            const RowPattern::ColumnRule& rule = rules[column];
            // One compare for the range: below its first type wraps around.
            if (width > max_width || type - rule.first_type > rule.type_span) {
                header_fits = false;
                break;
            }
            if (rule.slot >= 0) spots[static_cast<size_t>(rule.slot)] = {type, data_offset};
            data_offset += sqlite::serial_type_length(type);
        }
        if (!header_fits) continue;

        if (!read_wanted_values(region, pattern, spots, pos, values)) continue;
        sink(std::span<const CarvedValue>(values.data(), wanted_count));
    }
}

bool passes_text_check(std::span<const uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const uint8_t byte = bytes[pos];
        if (byte == 0x09 || byte == 0x0A || byte == 0x0D || (byte >= 0x20 && byte <= 0x7E)) {
            ++pos;
            continue;
        }
        size_t ill_formed = 0;
        const size_t sequence = platform::utf8_sequence_length(text, pos, ill_formed);
        if (sequence < 2) return false;  // ill-formed, or a control byte other than tab and line ends
        pos += sequence;
    }
    return true;
}

}  // namespace quen::records
