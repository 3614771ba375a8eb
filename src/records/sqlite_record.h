#pragma once
// Pieces of SQLite's record format that the free-space scan reads.
//
// A record (the payload of a table b-tree cell) is a header followed by the
// column values. The header is a varint giving the header's own length in
// bytes, then one varint "serial type" per column, in column order; the values
// follow the header in the same order, each as long as its serial type says:
//
//   serial type   meaning                         bytes of data
//   0             NULL                            0
//   1 2 3 4       big-endian signed integer       1 2 3 4
//   5             big-endian signed integer       6
//   6             big-endian signed integer       8
//   7             IEEE 754 double, big-endian     8
//   8 / 9         the constants 0 / 1             0
//   10 11         reserved for internal use       0
//   N >= 12 even  blob                            (N - 12) / 2
//   N >= 13 odd   text in the database encoding   (N - 13) / 2
#include <cstddef>
#include <cstdint>
#include <span>

namespace quen::records::sqlite_record {

// Reads the varint that starts at `pos`.
//
// Varint: 1 to 9 bytes, big-endian groups of 7 bits; the high bit of each of
// the first eight bytes says whether another byte follows, and a ninth byte
// contributes all of its 8 bits.
//
// Bytes at or beyond the end of `bytes` read as zero bytes (which end a
// varint), so the varint never reads outside `bytes`. Returns the number of
// bytes the varint spans (1 to 9) and its value in `value`.
unsigned read_varint_slow(std::span<const uint8_t> bytes, size_t pos, uint64_t& value);
inline unsigned read_varint(std::span<const uint8_t> bytes, size_t pos, uint64_t& value) {
    // Most serial types are one byte: the carver reads one per column at every
    // byte position, so that case stays inline.
    if (pos < bytes.size() && bytes[pos] < 0x80) {
        value = bytes[pos];
        return 1;
    }
    return read_varint_slow(bytes, pos, value);
}

// Bytes of data that a column of serial type `type` occupies.
uint64_t serial_type_length(uint64_t type);

// The big-endian unsigned number formed by `length` bytes at `pos` (at most
// the first 8 are used); serial type 8 reads as 0 and 9 as 1. False when the
// bytes reach past the end of `bytes`.
bool read_unsigned_field(std::span<const uint8_t> bytes, uint64_t pos, uint64_t type,
                         uint64_t& value);

}  // namespace quen::records::sqlite_record
