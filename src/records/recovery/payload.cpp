#include "records/recovery/payload.h"

#include <algorithm>
#include <set>

#include "records/sqlite/record_values.h"
#include "records/sqlite/sqlite_format.h"

namespace quen::records::recovery {

Payload gather_payload(std::span<const uint8_t> local, uint64_t size, uint32_t first_overflow, uint32_t usable,
                       const OverflowPages& pages) {
    Payload payload;
    payload.size = size;
    if (local.size() >= size || first_overflow == 0 || usable <= 4) {
        payload.bytes = local.first(std::min<size_t>(local.size(), size));
        return payload;
    }
    const uint64_t wanted = std::min(size, kLargestGatheredPayload);
    payload.storage.assign(local.begin(), local.end());
    std::set<uint32_t> visited;
    for (uint32_t page = first_overflow; page != 0 && payload.storage.size() < wanted;) {
        if (!visited.insert(page).second) break;
        const auto bytes = pages(page);
        if (bytes.size() < usable) break;
        uint32_t next = 0;
        sqlite::read_be32(bytes, 0, next);
        const size_t take = static_cast<size_t>(std::min<uint64_t>(usable - 4, wanted - payload.storage.size()));
        payload.storage.insert(payload.storage.end(), bytes.begin() + 4, bytes.begin() + 4 + static_cast<long>(take));
        payload.from_overflow = true;
        page = next;
    }
    payload.bytes = payload.storage;
    return payload;
}

bool read_record_header(std::span<const uint8_t> payload, uint64_t payload_size, size_t most_types, RecordHeader& out) {
    out.types.clear();
    out.body_size = 0;
    if (payload.empty()) return false;
    uint64_t header_size = 0;
    size_t at = sqlite::read_varint(payload, 0, header_size);
    if (header_size < at || header_size > payload_size || header_size > payload.size()) return false;
    out.header_size = static_cast<uint32_t>(header_size);
    while (at < header_size) {
        if (out.types.size() >= most_types) return false;
        uint64_t type = 0;
        at += sqlite::read_varint(payload, at, type);
        if (!sqlite::valid_serial_type(type)) return false;
        out.types.push_back(type);
        out.body_size += sqlite::serial_type_length(type);
        if (out.body_size > payload_size) return false;
    }
    return at == header_size && !out.types.empty() && header_size + out.body_size == payload_size;
}

}  // namespace quen::records::recovery
