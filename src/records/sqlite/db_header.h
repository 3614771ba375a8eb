#pragma once
// The 100-byte database header (layout in sqlite_format.h), read into the
// fields the recovery needs, with every value checked.
#include <cstdint>
#include <optional>
#include <span>

namespace quen::records::sqlite {

enum class TextEncoding : uint8_t { Utf8 = 1, Utf16le = 2, Utf16be = 3 };

const char* encoding_name(TextEncoding encoding);  // "UTF-8", "UTF-16le", "UTF-16be"

struct DbHeader {
    uint32_t page_size = 0;       // 512 to 65536
    uint32_t reserved_bytes = 0;  // at the end of every page
    uint32_t usable_size = 0;     // page_size - reserved_bytes, >= 480
    bool wal_mode = false;        // read and write versions 2
    // Pages the header claims; 0 when the field cannot be trusted (written by
    // a version that did not keep it, seen by its change counter).
    uint32_t header_page_count = 0;
    uint32_t first_trunk = 0;
    uint32_t freelist_count = 0;
    uint32_t largest_root = 0;  // not 0: auto-vacuum, with pointer-map pages
    bool incremental_vacuum = false;
    TextEncoding encoding = TextEncoding::Utf8;
};

// The header at the start of `bytes`; empty when the magic text is missing or
// the page size, reserved bytes or encoding are impossible. An encoding field
// of 0 (a database without any table yet) reads as UTF-8.
std::optional<DbHeader> parse_db_header(std::span<const uint8_t> bytes);

// The header of a database whose first page was lost: page size `page_size`,
// nothing reserved, UTF-8, no freelist. For reading what survives elsewhere.
DbHeader assumed_db_header(uint32_t page_size);

}  // namespace quen::records::sqlite
