#pragma once
// The record carver: finds what is left of deleted rows in a region of free
// space and hands over the values of each one whose serial types and values
// fit what a row of the table can hold. What a row can hold is given as a
// RowPattern (android_rows.h builds the ones for contacts and sms), so one
// parser of serial-type lists serves every table.
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace quen::records {

// Serial types a column of a live row can have (sqlite_format.h lists them).
struct SerialTypeRange {
    uint64_t min = 0;
    uint64_t max = UINT32_MAX;
};

// A column whose value is handed over: a number, or a text that must pass the
// text check over its whole length.
enum class ValueKind { Number, Text };
struct WantedColumn {
    uint32_t column = 0;
    ValueKind kind = ValueKind::Number;
};

// At most this many values are handed over per row; the carver keeps them in
// fixed arrays, so that trying a byte position allocates nothing.
constexpr size_t kMaxWantedColumns = 8;

struct RowPattern {
    // Serial types are read for columns first_column .. serial_types.size() - 1.
    uint32_t first_column = 0;
    // One range per column of the table, in column order.
    std::vector<SerialTypeRange> serial_types;
    // A serial type varint longer than this rejects the position.
    unsigned max_serial_type_bytes = 9;
    // A shorter region is not tried at all.
    size_t min_region_bytes = 0;
    // Handed over in this order.
    std::vector<WantedColumn> wanted;

    // Filled by finish_row_pattern from the above, in the form the carver's
    // inner loop reads: per column, the range as first type and width, and
    // the index in `wanted` of the column's first entry (-1: not wanted).
    struct ColumnRule {
        uint64_t first_type = 0;
        uint32_t type_span = 0;
        int32_t slot = -1;
    };
    std::vector<ColumnRule> rules;
};

// Fills `rules`; false (the pattern is unusable) when a wanted column lies
// outside the serial types read or there are more than kMaxWantedColumns.
bool finish_row_pattern(RowPattern& pattern);

// One value of a carved row: `number` for a Number column, `text` for a Text
// column (valid only during the sink's call).
struct CarvedValue {
    uint64_t number = 0;
    std::span<const uint8_t> text;
};
// Values in the order of RowPattern::wanted.
using CarvedRowSink = std::function<void(std::span<const CarvedValue> values)>;

// Every byte position k of `region` is tried as the first byte of the serial
// type list of a lost record header (the payload length, rowid and header
// length varints are not looked for; they are usually what the freeblock
// header overwrote). One serial type is read per column from
// `first_column` on; a serial type too large for 32 bits counts as
// 4294967295, and one outside its column's range rejects position k.
//
// The data starts right after the last serial type. The wanted values must lie
// inside the region; texts must pass the text check over their whole length;
// numbers are big-endian, unsigned, their first 8 bytes at most. Anything else
// rejects position k - including a serial type list or a value that runs past
// the end of the region: a misread position early in a region (say at a
// message's `read` byte followed by its `status` 0xFF) easily claims a value
// far beyond the end, and giving up the region there would lose every intact
// record after it. An accepted record does not skip its bytes: scanning goes
// on at k + 1.
void carve_rows(std::span<const uint8_t> region, const RowPattern& pattern, const CarvedRowSink& sink);

// The text check: whether bytes look like a text that a phone stored, so that
// a lost record is only rebuilt around real text. True when the whole of
// `bytes` is a sequence of:
//   0x09, 0x0A, 0x0D, 0x20-0x7E                       (tab, line ends, printable ASCII)
//   0xC2-0xDF 80-BF                                   (2-byte UTF-8)
//   0xE0 A0-BF 80-BF, 0xE1-0xEC/0xEE-0xEF 80-BF 80-BF,
//   0xED 80-9F 80-BF                                  (3-byte UTF-8, no surrogates)
//   0xF0 90-BF 80-BF 80-BF, 0xF1-0xF3 80-BF 80-BF 80-BF,
//   0xF4 80-8F 80-BF 80-BF                            (4-byte UTF-8 up to U+10FFFF)
// Anything else (other control bytes, 0x7F, zero bytes, overlong forms, stray
// continuation bytes, a sequence cut off at the end) fails.
bool passes_text_check(std::span<const uint8_t> bytes);

}  // namespace quen::records
