#pragma once
// A record's payload: the part kept in its cell and the rest from its chain
// of overflow pages, as far as that chain can still be followed; and the
// record header read from the front of it (format in sqlite_format.h).
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace quen::records::recovery {

// Gives the bytes of a page that may hold the next part of a chain, or
// nothing when it cannot (out of range, or, for a deleted record, a page now
// used for something else).
using OverflowPages = std::function<std::span<const uint8_t>(uint32_t page)>;

// Payloads above this are not gathered whole: the part beyond is reported
// missing rather than held in memory.
constexpr uint64_t kLargestGatheredPayload = 64u << 20;

struct Payload {
    std::span<const uint8_t> bytes;  // what could be gathered, from the start
    uint64_t size = 0;               // what the cell says the payload is
    bool from_overflow = false;      // some bytes came from overflow pages
    bool complete() const { return bytes.size() == size; }

    std::vector<uint8_t> storage;  // holds the bytes when they did not all come from the page
};

// The payload of a cell: `local` bytes on its page, then, when `size` is
// larger, the chain from `first_overflow` (each page: 4-byte next page
// number, then usable - 4 bytes). Stops at a page `pages` does not give, a
// page seen before, or kLargestGatheredPayload.
Payload gather_payload(std::span<const uint8_t> local, uint64_t size, uint32_t first_overflow, uint32_t usable,
                       const OverflowPages& pages);

struct RecordHeader {
    uint32_t header_size = 0;      // the header length varint's value
    std::vector<uint64_t> types;   // one serial type per stored column
    uint64_t body_size = 0;        // sum of the lengths of the types
};

// Reads the header at the start of `payload`: its length varint, then serial
// types up to that length, at most `most_types` of them, each a valid type.
// False when the header does not end exactly at its length, claims more than
// `payload_size`, or its types do not add up to the rest of the payload.
bool read_record_header(std::span<const uint8_t> payload, uint64_t payload_size, size_t most_types, RecordHeader& out);

}  // namespace quen::records::recovery
