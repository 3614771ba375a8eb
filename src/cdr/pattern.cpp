#include "cdr/pattern.h"

#include <cctype>

namespace quen::cdr {

Pattern::Pattern(std::vector<uint8_t> b, bool case_sens) : bytes(std::move(b)), case_sensitive(case_sens) {
    compute_shift_table(*this);
}

void compute_shift_table(Pattern& p) {
    const size_t n = p.bytes.size();
    p.shift.fill(n);
    for (size_t j = 0; j < n; ++j) {
        const size_t s = n - j - 1;
        const uint8_t c = p.bytes[j];
        // A wildcard matches any byte, so no byte may shift past it.
        if (c == kWildcard) p.shift.fill(s);
        p.shift[c] = s;
        if (!p.case_sensitive) {
            p.shift[static_cast<uint8_t>(std::tolower(c))] = s;
            p.shift[static_cast<uint8_t>(std::toupper(c))] = s;
        }
    }
}

int pattern_compare(const uint8_t* pattern, const uint8_t* data, size_t n, bool case_sensitive) {
    for (size_t i = 0; i < n; ++i) {
        const uint8_t a = pattern[i], b = data[i];
        if (a == kWildcard || a == b) continue;
        if (!case_sensitive && a >= 0x41 && a <= 0x7A && b >= 0x41 && b <= 0x7A &&
            (a - b == 32 || b - a == 32))
            continue;
        return static_cast<int>(a) - static_cast<int>(b);
    }
    return 0;
}

ptrdiff_t pattern_search(const Pattern& p, const uint8_t* hay, size_t len) {
    const size_t n = p.bytes.size();
    if (n == 0) return 0;
    size_t pos = n - 1;
    while (pos < len) {
        const size_t s = p.shift[hay[pos]];
        if (s == 0) {
            const size_t start = pos + 1 - n;
            if (pattern_compare(p.bytes.data(), hay + start, n, p.case_sensitive) == 0)
                return static_cast<ptrdiff_t>(start);
            ++pos;
        } else {
            pos += s;
        }
    }
    return -1;
}

}  // namespace quen::cdr
