// vCard (contacts exported from a phone, .vcf): text cards from
// "BEGIN:VCARD" to "END:VCARD", any letter case, often many in one file. The
// file runs to the last "END:VCARD" of the run of cards and its line end; a
// byte that is not text inside a card means the file was cut there.
#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

constexpr uint64_t kBegin = 11;  // "BEGIN:VCARD"

// Text as vCards hold it: printable ASCII, tabs, line ends, UTF-8.
bool card_byte(uint8_t c) { return c >= 0x20 ? c != 0x7F : (c == '\t' || c == '\r' || c == '\n'); }

ExtractResult extract_vcard(const ExtractInput& in) {
    static const Pattern kEnd = make_pattern("END:VCARD", false);
    static const Pattern kNext = make_pattern("BEGIN:VCARD", false);
    const ByteView v(in);
    const uint64_t max = in.spec->max_length;
    uint64_t card = 0, end = 0;
    int cards = 0;
    for (;;) {
        // The card's text runs to its first byte that is not text.
        uint64_t run = card;
        const uint64_t limit = std::min(v.size(), max);
        while (run < limit && card_byte(v.data()[run])) ++run;
        const auto e = v.find(kEnd, card + kBegin, run - std::min(run, card + kBegin));
        if (!e) {
            if (run == v.size() && !no_more_bytes(in)) return std::nullopt;  // the text may go on
            break;  // cut: the file ends with the card before
        }
        uint64_t after = *e + 9;
        if (after + 2 > v.size() && !no_more_bytes(in)) return std::nullopt;
        after += line_end(v, after);
        end = after;
        ++cards;
        // Blank lines may stand between the cards.
        uint64_t next = after;
        while (line_end(v, next)) next += line_end(v, next);
        if (!v.has(next, kBegin)) {
            if (!no_more_bytes(in) && next + kBegin > v.size()) return std::nullopt;
            break;
        }
        if (pattern_compare(kNext.bytes.data(), v.data() + next, kBegin, false) != 0) break;
        card = next;
    }
    if (cards == 0) return skip(in);
    record_at(in, 0, end);
    return end;
}

}  // namespace

FormatDefinition vcard_format() {
    const FormatRow row{"vcf", FormatType::Vcard, bytes_of("BEGIN:VCARD"), bytes_of("END:VCARD"), 16 * kMiB, {},
                        false, extract_vcard};
    return {row, {{"vcf", row}, {"vcard", row}}};
}

}  // namespace quen::cdr::fmt
