#pragma once
// The file types the carving engine knows: the built-in table (set-up order is
// also search order within a chunk) and the names accepted by -t. Each format
// file registers its extractor in the dispatch table by type id
// (find_extractor, cdr/extractor.h).
#include <cstdint>
#include <string_view>
#include <vector>

namespace quen::cdr {

struct FormatRow {
    const char* extension;
    int type;
    std::vector<uint8_t> header;
    std::vector<uint8_t> footer;   // empty: none
    uint64_t max_length;
    std::vector<std::vector<uint8_t>> markers;
    bool case_sensitive;
};

// The built-in table ("all"), in set-up order.
const std::vector<FormatRow>& builtin_formats();

// The rows that the -t name sets up (one row, or the built-in table for "all");
// empty when the name is unknown. Names compare case-sensitively.
std::vector<FormatRow> formats_for_name(std::string_view name);

}  // namespace quen::cdr
