#include "cdr/engine/pattern.h"

#include <cctype>
#include <cstring>

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

namespace {

// How common a byte tends to be on a disk: zero fill, 0xFF fill, spaces and
// lower-case text first. The search looks for the pattern's least common
// fixed byte with memchr, which is far faster than stepping.
int commonness(uint8_t b) {
    if (b == 0x00) return 3;
    if (b == 0xFF) return 2;
    if (b == 0x20 || (b >= 'a' && b <= 'z')) return 1;
    return 0;
}

bool folds(uint8_t b) { return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'); }

// The position of the byte to look for, or -1 when every byte is a wildcard
// or (not case sensitive) a letter.
ptrdiff_t anchor_of(const Pattern& p) {
    ptrdiff_t best = -1;
    int best_score = 4;
    for (size_t j = 0; j < p.bytes.size(); ++j) {
        const uint8_t b = p.bytes[j];
        if (b == kWildcard || (!p.case_sensitive && folds(b))) continue;
        const int score = commonness(b);
        if (score <= best_score) {  // later positions win ties
            best = static_cast<ptrdiff_t>(j);
            best_score = score;
        }
    }
    return best;
}

// Boyer-Moore-Horspool: the shift of the byte under the pattern's last
// position; a shift of 0 means that byte matches the last one, so compare.
ptrdiff_t horspool(const Pattern& p, const uint8_t* hay, size_t len) {
    const size_t n = p.bytes.size();
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

}  // namespace

ptrdiff_t pattern_search(const Pattern& p, const uint8_t* hay, size_t len) {
    const size_t n = p.bytes.size();
    if (n == 0) return 0;
    if (len < n) return -1;
    const ptrdiff_t k = anchor_of(p);
    if (k < 0) return horspool(p, hay, len);
    // Every match has the anchor byte at start + k: find those with memchr
    // and compare the whole pattern there, leftmost first.
    const uint8_t a = p.bytes[static_cast<size_t>(k)];
    const uint8_t* cur = hay + k;
    const uint8_t* const last = hay + (len - n) + k;  // the anchor of the last possible start
    while (cur <= last) {
        const void* f = std::memchr(cur, a, static_cast<size_t>(last - cur) + 1);
        if (!f) return -1;
        const auto* hit = static_cast<const uint8_t*>(f);
        const uint8_t* start = hit - k;
        if (pattern_compare(p.bytes.data(), start, n, p.case_sensitive) == 0) return start - hay;
        cur = hit + 1;
    }
    return -1;
}

}  // namespace quen::cdr
