#include "records/sqlite/db_header.h"

#include <cstring>

#include "records/sqlite/sqlite_format.h"

namespace quen::records::sqlite {

const char* encoding_name(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf16le: return "UTF-16le";
        case TextEncoding::Utf16be: return "UTF-16be";
        case TextEncoding::Utf8: break;
    }
    return "UTF-8";
}

std::optional<DbHeader> parse_db_header(std::span<const uint8_t> bytes) {
    static const char kMagic[] = "SQLite format 3";  // with its terminating zero: 16 bytes
    if (bytes.size() < kDatabaseHeaderBytes || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return std::nullopt;
    DbHeader header;
    uint32_t field = 0;
    read_be16(bytes, kPageSizeOffset, field);
    header.page_size = field == kPageSizeField64K ? kLargestPageSize : field;
    if (header.page_size < kSmallestPageSize || header.page_size > kLargestPageSize ||
        (header.page_size & (header.page_size - 1)) != 0)
        return std::nullopt;
    header.reserved_bytes = bytes[kReservedBytesOffset];
    if (header.page_size - header.reserved_bytes < kSmallestUsableSize) return std::nullopt;
    header.usable_size = header.page_size - header.reserved_bytes;
    header.wal_mode = bytes[kWriteVersionOffset] == 2 && bytes[kReadVersionOffset] == 2;

    uint32_t change_counter = 0, valid_for = 0;
    read_be32(bytes, kChangeCounterOffset, change_counter);
    read_be32(bytes, kVersionValidForOffset, valid_for);
    read_be32(bytes, kHeaderPageCountOffset, field);
    // Versions before 3.7.0 did not keep the page count; they leave the
    // version-valid-for number behind the change counter.
    if (change_counter == valid_for) header.header_page_count = field;
    read_be32(bytes, kFirstTrunkOffset, header.first_trunk);
    read_be32(bytes, kFreelistCountOffset, header.freelist_count);
    read_be32(bytes, kLargestRootOffset, header.largest_root);
    read_be32(bytes, kIncrementalVacuumOffset, field);
    header.incremental_vacuum = field != 0;
    read_be32(bytes, kTextEncodingOffset, field);
    if (field > 3) return std::nullopt;
    header.encoding = field == 0 ? TextEncoding::Utf8 : static_cast<TextEncoding>(field);
    return header;
}

DbHeader assumed_db_header(uint32_t page_size) {
    DbHeader header;
    header.page_size = page_size;
    header.usable_size = page_size;
    return header;
}

}  // namespace quen::records::sqlite
