// PDF: "%PDF-1.x", objects ("n 0 obj"), and "%%EOF" at the end. A linearized
// file names its own length in its first object's dictionary ("/Linearized 1
// /L <bytes>"), so its "%%EOF" is looked for only just before that length.
#include <cctype>

#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

constexpr uint64_t kHeaderLength = 7;  // "%PDF-1."

// The decimal number at the start of an 8-byte field, as atoi reads it.
uint64_t read_decimal(const ByteView& v, uint64_t off) {
    uint64_t i = 0, n = 0;
    while (i < 8 && v.has(off + i, 1) && std::isspace(v.data()[off + i])) ++i;
    if (i < 8 && v.has(off + i, 1) && (v.data()[off + i] == '+')) ++i;
    while (i < 8 && v.has(off + i, 1) && std::isdigit(v.data()[off + i])) {
        n = n * 10 + (v.data()[off + i] - '0');
        ++i;
    }
    return n;
}

// Whether the bytes at `at` go on with the same document: an incremental
// update appends objects ("12 0 obj"), a cross-reference table ("xref") or
// comments after the first "%%EOF".
bool update_follows(const ByteView& v, uint64_t at) {
    while (v.u8(at) == ' ' || v.u8(at) == '\r' || v.u8(at) == '\n' || v.u8(at) == '\t') ++at;
    if (v.equals(at, "xref")) return true;
    uint64_t i = at;
    int numbers = 0;
    while (numbers < 2) {
        const uint64_t from = i;
        while (v.u8(i) && std::isdigit(*v.u8(i))) ++i;
        if (i == from || v.u8(i) != ' ') return false;
        ++i;
        ++numbers;
    }
    return v.equals(i, "obj");
}

ExtractResult extract_pdf(const ExtractInput& in) {
    static const Pattern kObj = make_pattern("obj");
    static const Pattern kLinearized = make_pattern("/Linearized");
    static const Pattern kLength = make_pattern("/L ");
    static const Pattern kEof = make_pattern("%%EOF");
    const ByteView v(in);
    const uint64_t r = v.size();
    if (r < kHeaderLength || r - kHeaderLength < 512) return needs_more(in);
    const uint64_t n = std::min(r - kHeaderLength, in.spec->max_length);
    if (!v.find(kObj, kHeaderLength, 100)) return kHeaderLength + 100;

    const Pattern& eof = footer_or(in, kEof);
    const auto lin = v.find(kLinearized, kHeaderLength, 512);
    const auto l = lin ? v.find(kLength, *lin, 512) : std::nullopt;
    if (l) {
        const uint64_t after = *l + 3;
        const uint64_t f = read_decimal(v, after);
        if (f == 0) return after;
        if (f > r) {
            if (f <= in.spec->max_length) return needs_more(in);
            return after;
        }
        // The stated length can be anything: a field too small to hold
        // "%%EOF" before it names no file.
        if (f < 15) return after;
        const auto e = v.find(eof, f - 15, 14);
        if (!e) return needs_more(in);
        // The stated length is the file's, line end included.
        record_at(in, 0, f);
        return f;
    }
    // Not linearized: the last "%%EOF" of the document and its line end; an
    // incremental update after the first one belongs to the file.
    uint64_t from = kHeaderLength;
    for (;;) {
        const auto e = v.find(eof, from, n > from - kHeaderLength ? n - (from - kHeaderLength) : 0);
        if (!e) return needs_more(in);
        uint64_t end = *e + 5;
        // The line end, or an update, may follow past the bytes given.
        if (end + 64 > r && !no_more_bytes(in)) return std::nullopt;
        end += line_end(v, end);
        if (update_follows(v, end)) {
            from = end;
            continue;
        }
        record_at(in, 0, end);
        return end;
    }
}

}  // namespace

FormatDefinition pdf_format() {
    const FormatRow row{"pdf", FormatType::Pdf, bytes_of("%PDF-1."), bytes_of("%%EOF"), 40 * kMiB,
                        {bytes_of("/L "), bytes_of("obj"), bytes_of("/Linearized"), bytes_of("/Length")}, true,
                        extract_pdf};
    return {row, {{"pdf", with_max_length(row, 20 * kMiB)}}};
}

}  // namespace quen::cdr::fmt
