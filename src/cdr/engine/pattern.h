#pragma once
// Byte patterns of the carving engine: a wildcard byte "?" matches anything;
// case-insensitive patterns match ASCII letters in either case. Searching is
// Boyer-Moore-Horspool over a 256-entry shift table.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quen::cdr {

constexpr uint8_t kWildcard = 0x3F;  // '?'

struct Pattern {
    std::vector<uint8_t> bytes;
    std::array<size_t, 256> shift{};
    bool case_sensitive = true;

    Pattern() = default;
    Pattern(std::vector<uint8_t> b, bool case_sens);
    size_t size() const { return bytes.size(); }
    bool empty() const { return bytes.empty(); }
};

// Fills the shift table for the pattern's bytes and case flag.
void compute_shift_table(Pattern& p);

// 0 when the n pattern bytes match data, else the difference of the first
// unequal bytes (pattern byte minus data byte).
int pattern_compare(const uint8_t* pattern, const uint8_t* data, size_t n, bool case_sensitive);

// Offset of the first match of p in [hay, hay + len), or -1 when there is none.
// An empty pattern matches at 0.
ptrdiff_t pattern_search(const Pattern& p, const uint8_t* hay, size_t len);

}  // namespace quen::cdr
