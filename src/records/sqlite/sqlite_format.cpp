#include "records/sqlite/sqlite_format.h"

namespace quen::records::sqlite {

unsigned read_varint_slow(std::span<const uint8_t> bytes, size_t pos, uint64_t& value) {
    uint64_t accumulated = 0;
    for (unsigned index = 0; index < kMaxVarintBytes; ++index) {
        // Past the end reads as a zero byte, which ends the varint there.
        const uint8_t byte = pos + index < bytes.size() ? bytes[pos + index] : 0;
        if (index == kMaxVarintBytes - 1) {
            value = (accumulated << 8) | byte;
            return kMaxVarintBytes;
        }
        accumulated = (accumulated << 7) | (byte & 0x7F);
        if ((byte & 0x80) == 0) {
            value = accumulated;
            return index + 1;
        }
    }
    value = accumulated;  // not reached: the ninth byte always ends the varint
    return kMaxVarintBytes;
}

uint64_t local_payload_bytes(uint64_t payload, uint32_t usable, bool index) {
    const uint64_t u = usable;
    const uint64_t most = index ? ((u - 12) * 64 / 255) - 23 : u - 35;
    if (payload <= most) return payload;
    const uint64_t least = ((u - 12) * 32 / 255) - 23;
    const uint64_t kept = least + ((payload - least) % (u - 4));
    return kept <= most ? kept : least;
}

bool read_unsigned_field(std::span<const uint8_t> bytes, uint64_t pos, uint64_t type, uint64_t& value) {
    if (type == kSerialTypeZero) {
        value = 0;
        return true;
    }
    if (type == kSerialTypeOne) {
        value = 1;
        return true;
    }
    uint64_t length = serial_type_length(type);
    if (length > 8) length = 8;  // a 64-bit number holds no more
    // The bytes must lie inside, written so that a huge position cannot wrap the sum.
    if (pos > bytes.size() || bytes.size() - pos < length) return false;
    uint64_t number = 0;
    for (uint64_t index = 0; index < length; ++index) number = (number << 8) | bytes[pos + index];
    value = number;
    return true;
}

}  // namespace quen::records::sqlite
