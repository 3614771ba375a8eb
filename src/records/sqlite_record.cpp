#include "records/sqlite_record.h"

namespace quen::records::sqlite_record {

unsigned read_varint_slow(std::span<const uint8_t> bytes, size_t pos, uint64_t& value) {
    uint64_t v = 0;
    for (unsigned i = 0; i < 9; ++i) {
        uint8_t b = pos + i < bytes.size() ? bytes[pos + i] : 0;
        if (i == 8) {
            value = (v << 8) | b;
            return 9;
        }
        v = (v << 7) | (b & 0x7F);
        if ((b & 0x80) == 0) {
            value = v;
            return i + 1;
        }
    }
    value = v;  // not reached
    return 9;
}

uint64_t serial_type_length(uint64_t type) {
    switch (type) {
        case 0: return 0;
        case 1: return 1;
        case 2: return 2;
        case 3: return 3;
        case 4: return 4;
        case 5: return 6;
        case 6: return 8;
        case 7: return 8;
        case 8: case 9: case 10: case 11: return 0;
        default: return type % 2 == 0 ? (type - 12) / 2 : (type - 13) / 2;
    }
}

bool read_unsigned_field(std::span<const uint8_t> bytes, uint64_t pos, uint64_t type,
                         uint64_t& value) {
    if (type == 8) { value = 0; return true; }
    if (type == 9) { value = 1; return true; }
    uint64_t length = serial_type_length(type);
    if (length > 8) length = 8;
    if (pos > bytes.size() || bytes.size() - pos < length) return false;
    uint64_t v = 0;
    for (uint64_t i = 0; i < length; ++i) v = (v << 8) | bytes[pos + i];
    value = v;
    return true;
}

}  // namespace quen::records::sqlite_record
