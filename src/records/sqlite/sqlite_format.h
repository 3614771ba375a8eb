#pragma once
// The SQLite database file format, as far as this program reads it raw: the
// layout tables below are the one place where its offsets and sizes are
// written down, and the readers beside them are the one place that decodes
// them. Everything here works on bytes already in memory and never reads
// outside the span it is given, so a hostile file can only make a read fail.
//
// Page geometry
// -------------
// The file is a sequence of pages of one size. Page n (numbered from 1) starts
// at byte (n - 1) * page size. Offsets inside a page count from the page's
// first byte. Every multi-byte number in the file is big-endian.
//
// Database header (the first 100 bytes of page 1)
//   offset  size  field
//   0       16    "SQLite format 3\0"
//   16      2     page size: a power of two from 512 to 32768; 1 means 65536
//   18      1     file format write version (1 rollback journal, 2 WAL)
//   19      1     file format read version (1 rollback journal, 2 WAL)
//   20      1     bytes reserved at the end of every page
//   24      4     file change counter
//   28      4     database size in pages
//   32      4     first freelist trunk page (0: none)
//   36      4     number of freelist pages
//   40      4     schema cookie
//   52      4     largest root page (auto-vacuum), else 0
//   56      4     text encoding: 1 UTF-8, 2 UTF-16le, 3 UTF-16be
//   64      4     incremental vacuum mode
// Page 1's b-tree header follows the database header, at offset 100.
//
// B-tree page header (at the page's first byte; at 100 on page 1)
//   offset  size  field
//   0       1     page type: 2 index interior, 5 table interior,
//                 10 index leaf, 13 table leaf
//   1       2     offset of the first freeblock (0: none)
//   3       2     number of cells
//   5       2     start of the cell content area (0 means 65536)
//   7       1     fragmented free bytes in the cell content area
//   8       4     right-most child page (interior pages only)
// The header is 8 bytes on leaf pages and 12 on interior pages. It is followed
// by the cell pointer array: one 2-byte offset per cell, in key order. Cells
// are packed from the end of the page towards the pointer array; the bytes in
// between are the unallocated gap.
//
// Cell layouts
//   table leaf (13)      varint payload length, varint rowid, payload,
//                        [4-byte first overflow page when the payload spills]
//   table interior (5)   4-byte left child page, varint rowid (the key)
//   index leaf (10)      varint payload length, payload, [4-byte overflow page]
//   index interior (2)   4-byte left child page, varint payload length,
//                        payload, [4-byte overflow page]
//
// Freeblocks: a freed stretch of the cell content area, chained from the page
// header's first-freeblock field in ascending offset order.
//   offset  size  field
//   0       2     offset of the next freeblock (0: last)
//   2       2     size of this freeblock in bytes, this header included
// The rest of a freeblock is whatever the freed cell left there: SQLite does
// not wipe it (unless secure_delete is on). A cell freed at the start of the
// cell content area gets the same 4-byte header, and the content start moves
// past it: its other bytes join the unallocated gap.
//
// Payload kept on the page (U = usable size = page size - reserved bytes,
// P = payload length):
//   table leaf        X = U - 35
//   index pages       X = ((U - 12) * 64 / 255) - 23
//   both              M = ((U - 12) * 32 / 255) - 23
//   P <= X: all of it; otherwise K = M + ((P - M) % (U - 4)), and K bytes stay
//   when K <= X, else M. The rest goes to a chain of overflow pages, each
//   holding a 4-byte next page number (0: last) and U - 4 bytes of payload.
//
// Freelist: the header's first trunk page holds
//   0  4  next trunk page (0: last)
//   4  4  number of leaf page numbers that follow
//   8  4n the leaf pages
// Leaf pages are not written when they join the list (unless secure_delete
// is on): a freed page keeps what it held.
//
// Pointer-map pages (auto-vacuum, header field 52 not 0): page 2, then every
// (U / 5 + 1) pages; 5-byte entries (type, parent page) for the pages after
// each. The page that holds byte 2^30 of the file (the lock-byte page) is
// never used.
//
// Write-ahead log ("-wal"): a 32-byte header, then frames of a 24-byte header
// and one page.
//   log header        0 magic 0x377F0682 (checksums of little-endian words)
//                       or 0x377F0683 (big-endian words)
//                     4 version 3007000; 8 page size; 12 checkpoint number;
//                     16 salt 1; 20 salt 2; 24, 28 checksum of bytes 0-23
//   frame header      0 page number; 4 pages in the database after the
//                     commit (commit frames), else 0; 8 salt 1; 12 salt 2;
//                     16, 20 checksum of frame header bytes 0-7 and the
//                     page, continuing from the previous frame's checksum
// A frame belongs to the current log when its salts equal the header's and
// the checksum chain holds from the first frame; the log ends at the last
// commit frame of that chain. Frames after it, and frames of an earlier log
// that a restarted one did not overwrite (other salts), still hold pages as
// they were.
//
// Rollback journal ("-journal"): a header padded to the sector size, then
// page records.
//   header            0 magic D9 D5 05 F9 20 A1 63 D7; 8 records (0 or
//                     0xFFFFFFFF: up to the end of the file); 12 checksum
//                     nonce; 16 pages in the database before the
//                     transaction; 20 sector size; 24 page size
//   page record       page number (4), the page as it was before the
//                     transaction, checksum (4: the nonce plus the page bytes
//                     at offsets page size - 200, - 400, ... above 0)
// A committed transaction zeroes the header (PERSIST), truncates the file
// (TRUNCATE) or deletes it (DELETE). A journal with its magic is hot: the
// transaction did not commit, and its pages are the committed state.
//
// Record format (the payload of a table cell)
//   varint            header length in bytes, this varint included
//   varint per column serial type, in column order
//   the column values, in column order, each as long as its serial type says:
//     serial type   meaning                          bytes of data
//     0             NULL                             0
//     1 2 3 4       big-endian signed integer        1 2 3 4
//     5             big-endian signed integer        6
//     6             big-endian signed integer        8
//     7             IEEE 754 double, big-endian      8
//     8 / 9         the integer constants 0 / 1      0
//     10 11         reserved for internal use        0
//     N >= 12 even  blob                             (N - 12) / 2
//     N >= 13 odd   text in the database encoding    (N - 13) / 2
//
// Varints: 1 to 9 bytes, big-endian groups of 7 bits; the high bit of each of
// the first eight bytes says whether another byte follows, and a ninth byte
// contributes all of its 8 bits.
#include <cstddef>
#include <cstdint>
#include <span>

namespace quen::records::sqlite {

// --- database header ---
constexpr size_t kDatabaseHeaderBytes = 100;
constexpr size_t kPageSizeOffset = 16;
constexpr size_t kWriteVersionOffset = 18;
constexpr size_t kReadVersionOffset = 19;
constexpr size_t kReservedBytesOffset = 20;
constexpr size_t kChangeCounterOffset = 24;
constexpr size_t kHeaderPageCountOffset = 28;
constexpr size_t kFirstTrunkOffset = 32;
constexpr size_t kFreelistCountOffset = 36;
constexpr size_t kLargestRootOffset = 52;
constexpr size_t kTextEncodingOffset = 56;
constexpr size_t kIncrementalVacuumOffset = 64;
constexpr size_t kVersionValidForOffset = 92;
constexpr uint32_t kSmallestPageSize = 512;
constexpr uint32_t kLargestPageSize = 65536;
// The page size field's value for 65536-byte pages, which do not fit its 16 bits.
constexpr uint32_t kPageSizeField64K = 1;
// SQLite refuses a usable size below 480.
constexpr uint32_t kSmallestUsableSize = 480;
constexpr uint32_t kLockBytePosition = 1u << 30;

// --- freelist ---
constexpr size_t kTrunkNextOffset = 0;
constexpr size_t kTrunkCountOffset = 4;
constexpr size_t kTrunkLeavesOffset = 8;

// --- write-ahead log ---
constexpr uint32_t kWalMagicLittleEndian = 0x377F0682;
constexpr uint32_t kWalMagicBigEndian = 0x377F0683;
constexpr size_t kWalHeaderBytes = 32;
constexpr size_t kWalFrameHeaderBytes = 24;

// --- rollback journal ---
constexpr uint8_t kJournalMagic[8] = {0xD9, 0xD5, 0x05, 0xF9, 0x20, 0xA1, 0x63, 0xD7};
constexpr size_t kJournalHeaderFields = 28;
constexpr uint32_t kJournalChecksumStride = 200;

// --- b-tree page header ---
constexpr size_t kPageTypeOffset = 0;
constexpr size_t kFirstFreeblockOffset = 1;
constexpr size_t kCellCountOffset = 3;
constexpr size_t kCellContentStartOffset = 5;
constexpr size_t kFragmentedBytesOffset = 7;
constexpr size_t kRightChildOffset = 8;
constexpr size_t kLeafHeaderBytes = 8;
constexpr size_t kInteriorHeaderBytes = 12;
constexpr size_t kCellPointerBytes = 2;

constexpr uint8_t kIndexInteriorPage = 2;
constexpr uint8_t kTableInteriorPage = 5;
constexpr uint8_t kIndexLeafPage = 10;
constexpr uint8_t kTableLeafPage = 13;

// --- cells ---
constexpr size_t kLeftChildBytes = 4;  // the page number that starts an interior cell

// --- freeblocks ---
constexpr size_t kFreeblockNextOffset = 0;
constexpr size_t kFreeblockSizeOffset = 2;
constexpr size_t kFreeblockHeaderBytes = 4;

// --- records ---
constexpr unsigned kMaxVarintBytes = 9;
constexpr uint64_t kSerialTypeNull = 0;
constexpr uint64_t kSerialTypeInt8 = 1;
constexpr uint64_t kSerialTypeZero = 8;
constexpr uint64_t kSerialTypeOne = 9;
// Serial types 0 to 11 carry no variable-length bytes: NULL, numbers, constants.
constexpr uint64_t kLastFixedSerialType = 11;
constexpr uint64_t kFirstBlobSerialType = 12;
constexpr uint64_t kFirstTextSerialType = 13;
// The first serial type of a blob or text of at least one byte.
constexpr uint64_t kFirstNonEmptyBlobOrText = 14;

// Big-endian numbers at `offset` of `bytes`; false (and `out` untouched) when
// the field does not lie wholly inside `bytes`. Inline: the carver reads a
// would-be freeblock header at every byte position.
inline bool read_be16(std::span<const uint8_t> bytes, size_t offset, uint32_t& out) {
    // Both bytes inside, written so that a huge offset cannot wrap the sum.
    if (offset > bytes.size() || bytes.size() - offset < 2) return false;
    out = (uint32_t{bytes[offset]} << 8) | bytes[offset + 1];
    return true;
}

inline bool read_be32(std::span<const uint8_t> bytes, size_t offset, uint32_t& out) {
    // All four bytes inside, written so that a huge offset cannot wrap the sum.
    if (offset > bytes.size() || bytes.size() - offset < 4) return false;
    out = (uint32_t{bytes[offset]} << 24) | (uint32_t{bytes[offset + 1]} << 16) |
          (uint32_t{bytes[offset + 2]} << 8) | bytes[offset + 3];
    return true;
}

// The big-endian number at `offset`, 0 when it does not lie wholly inside:
// for fixed-layout headers whose size has been checked, or where a cut field
// reading as 0 is the answer wanted.
inline uint32_t be32_or_zero(std::span<const uint8_t> bytes, size_t offset) {
    uint32_t value = 0;
    read_be32(bytes, offset, value);
    return value;
}

// Reads the varint that starts at `pos` into `value`; returns the number of
// bytes it spans (1 to 9). Bytes at or beyond the end of `bytes` read as zero
// bytes (which end a varint), so the varint never reads outside `bytes`.
unsigned read_varint_slow(std::span<const uint8_t> bytes, size_t pos, uint64_t& value);
inline unsigned read_varint(std::span<const uint8_t> bytes, size_t pos, uint64_t& value) {
    // Most serial types are one byte and the free-space carver reads one per
    // column at every byte position, so that case stays inline.
    if (pos < bytes.size() && bytes[pos] < 0x80) {
        value = bytes[pos];
        return 1;
    }
    return read_varint_slow(bytes, pos, value);
}

// Bytes a varint of `value` takes (1 to 9).
inline unsigned varint_length(uint64_t value) {
    if (value > 0x00FFFFFFFFFFFFFFull) return kMaxVarintBytes;
    unsigned bytes = 1;
    while (value >= 0x80) {
        value >>= 7;
        ++bytes;
    }
    return bytes;
}

// Payload bytes of a cell that stay on the page (the rule above); `index`
// for index pages, else a table leaf. `usable` must be >= kSmallestUsableSize.
uint64_t local_payload_bytes(uint64_t payload, uint32_t usable, bool index);

// Bytes of data of serial types 0 to 11, from the table above.
inline constexpr uint8_t kFixedSerialTypeLengths[kFirstBlobSerialType] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0, 0, 0};

// Bytes of data that a column of serial type `type` occupies. Inline: the
// free-space carver sums it for every column at every byte position.
inline uint64_t serial_type_length(uint64_t type) {
    if (type < kFirstBlobSerialType) return kFixedSerialTypeLengths[type];
    return type % 2 == 0 ? (type - kFirstBlobSerialType) / 2 : (type - kFirstTextSerialType) / 2;
}

// The big-endian unsigned number formed by the bytes of a column of serial
// type `type` at `pos` (its first 8 bytes at most); serial type 8 reads as 0
// and 9 as 1. False when those bytes reach past the end of `bytes`.
bool read_unsigned_field(std::span<const uint8_t> bytes, uint64_t pos, uint64_t type, uint64_t& value);

}  // namespace quen::records::sqlite
