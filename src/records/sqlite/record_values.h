#pragma once
// Values of a record (the record format in sqlite_format.h): one per column,
// decoded from its serial type and bytes. Texts are held as UTF-8 whatever
// the database's encoding, so that values compare and print the same way.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "records/sqlite/db_header.h"

namespace quen::records::sqlite {

enum class ValueType : uint8_t { Null, Integer, Real, Text, Blob };

struct Value {
    ValueType type = ValueType::Null;
    int64_t integer = 0;
    double real = 0;
    std::string bytes;  // Text: UTF-8; Blob: as stored

    static Value null() { return {}; }
    static Value of_integer(int64_t number) { return {ValueType::Integer, number, 0, {}}; }
    static Value of_real(double number) { return {ValueType::Real, 0, number, {}}; }
    static Value of_text(std::string text) { return {ValueType::Text, 0, 0, std::move(text)}; }
    static Value of_blob(std::string blob) { return {ValueType::Blob, 0, 0, std::move(blob)}; }
};

// Same type and content; reals compare by their bits (SQLite stores no NaN).
bool same_value(const Value& a, const Value& b);
inline bool operator==(const Value& a, const Value& b) { return same_value(a, b); }
// A byte string that identifies the value: equal keys for equal values.
void append_value_key(std::string& key, const Value& value);

// Serial types that a record may hold: 0 to 9 and 12 up (10 and 11 are
// reserved and never written).
inline bool valid_serial_type(uint64_t type) { return type < 10 || type >= 12; }
inline bool is_text_type(uint64_t type) { return type >= 13 && type % 2 == 1; }
inline bool is_blob_type(uint64_t type) { return type >= 12 && type % 2 == 0; }
inline bool is_number_type(uint64_t type) { return type >= 1 && type <= 9; }

// The value of serial type `type` from exactly its bytes (serial_type_length
// of them). Text in a UTF-16 encoding is converted to UTF-8; a stray
// surrogate or odd byte becomes U+FFFD.
Value decode_value(uint64_t type, std::span<const uint8_t> bytes, TextEncoding encoding);

// Whether stored text bytes look like text that was written on purpose: well
// formed in `encoding`, without NUL, without control characters other than
// tab and line ends, without noncharacters. Rebuilt records must pass it.
bool plausible_text(std::span<const uint8_t> bytes, TextEncoding encoding);

// Whether SQLite would have turned `text` into a number on its way into a
// column of numeric affinity (so a text stored there cannot look like one).
bool looks_numeric(std::string_view text);

// UTF-16 (little- or big-endian) bytes as UTF-8.
std::string utf16_to_utf8(std::span<const uint8_t> bytes, bool big_endian);

}  // namespace quen::records::sqlite
