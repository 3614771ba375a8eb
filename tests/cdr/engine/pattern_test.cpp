// Shift tables, pattern compare and Boyer-Moore-Horspool search.
#include "cdr/engine/pattern.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace quen::cdr {
namespace {

Pattern pat(const std::string& s, bool cs = true) { return Pattern({s.begin(), s.end()}, cs); }

const uint8_t* u(const char* s) { return reinterpret_cast<const uint8_t*>(s); }

// A plain left-to-right search with the same match rule, to check against.
ptrdiff_t brute_search(const Pattern& p, const uint8_t* hay, size_t len) {
    const size_t n = p.size();
    if (n == 0) return 0;
    for (size_t i = 0; i + n <= len; ++i)
        if (pattern_compare(p.bytes.data(), hay + i, n, p.case_sensitive) == 0)
            return static_cast<ptrdiff_t>(i);
    return -1;
}

TEST(PatternShiftTable, EntriesAreDistanceFromLastOccurrenceToEnd) {
    const Pattern p = pat("abcab");
    EXPECT_EQ(p.shift['b'], 0u);  // last byte
    EXPECT_EQ(p.shift['a'], 1u);
    EXPECT_EQ(p.shift['c'], 2u);
    EXPECT_EQ(p.shift['z'], 5u);  // not in the pattern: the pattern's length

    // A wildcard lowers every entry to its own distance; later bytes still
    // get their smaller distances.
    const Pattern w = pat("a?cd");
    EXPECT_EQ(w.shift['z'], 2u);
    EXPECT_EQ(w.shift['c'], 1u);
    EXPECT_EQ(w.shift['d'], 0u);

    // Not case sensitive: both letter cases share the entry.
    const Pattern ci = pat("<hTml", false);
    EXPECT_EQ(ci.shift['t'], 2u);
    EXPECT_EQ(ci.shift['T'], 2u);
    EXPECT_EQ(ci.shift['L'], 0u);
    EXPECT_EQ(ci.shift['l'], 0u);
    EXPECT_EQ(ci.shift['<'], 4u);
}

TEST(PatternCompare, WildcardCaseAndDifference) {
    EXPECT_EQ(pattern_compare(u("GIF8"), u("GIF8"), 4, true), 0);
    EXPECT_EQ(pattern_compare(u("G?F8"), u("GxF8"), 4, true), 0);
    EXPECT_EQ(pattern_compare(u("GIF8"), u("GIF9"), 4, true), '8' - '9');
    EXPECT_NE(pattern_compare(u("html"), u("HTML"), 4, true), 0);
    EXPECT_EQ(pattern_compare(u("html"), u("HtMl"), 4, false), 0);
    // Only bytes in 0x41..0x7A that differ by 32 fold: '@' (0x40) and '`'
    // (0x60) are not a letter pair.
    EXPECT_NE(pattern_compare(u("@"), u("`"), 1, false), 0);
    // A compare of zero bytes matches.
    EXPECT_EQ(pattern_compare(u("x"), u("y"), 0, true), 0);
}

TEST(PatternSearch, FindsFirstMatch) {
    const std::string hay = "xxGIF7aGIF89aGIF89a";
    const Pattern p = pat("GIF89a");
    EXPECT_EQ(pattern_search(p, u(hay.c_str()), hay.size()), 7);
    EXPECT_EQ(pattern_search(pat("GIF90"), u(hay.c_str()), hay.size()), -1);
    // A match that would end past the haystack is not one.
    EXPECT_EQ(pattern_search(p, u(hay.c_str()), 12), -1);
    EXPECT_EQ(pattern_search(Pattern({}, true), u(hay.c_str()), hay.size()), 0);
    EXPECT_EQ(pattern_search(pat("abc"), u(""), 0), -1);

    const std::string page = "<!doctype x><HTML><body>hi</Html>";
    EXPECT_EQ(pattern_search(pat("</html>", false), u(page.c_str()), page.size()), 26);
    EXPECT_EQ(pattern_search(pat("</html>", true), u(page.c_str()), page.size()), -1);
    EXPECT_EQ(pattern_search(pat("<?tml", false), u(page.c_str()), page.size()), 12);
}

TEST(PatternSearch, AgreesWithPlainSearchOnRandomInput) {
    std::mt19937 rng(7);
    // A small alphabet makes near misses and overlapping matches common.
    const std::string alphabet("abAB?\0\xFF", 7);
    for (int round = 0; round < 3000; ++round) {
        std::string hay(rng() % 200, 'a'), needle(1 + rng() % 6, 'a');
        for (auto& c : hay) c = alphabet[rng() % alphabet.size()];
        for (auto& c : needle) c = alphabet[rng() % alphabet.size()];
        const Pattern p = pat(needle, rng() % 2 == 0);
        const auto* h = u(hay.data());
        ASSERT_EQ(pattern_search(p, h, hay.size()), brute_search(p, h, hay.size()))
            << "round " << round;
    }
}

}  // namespace
}  // namespace quen::cdr
