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

ExtractResult extract_pdf(const ExtractInput& in) {
    static const Pattern kObj = make_pattern("obj");
    static const Pattern kLinearized = make_pattern("/Linearized");
    static const Pattern kLength = make_pattern("/L ");
    static const Pattern kEof = make_pattern("%%EOF");
    const ByteView v(in);
    const uint64_t r = v.size();
    if (r < kHeaderLength || r - kHeaderLength < 512) return std::nullopt;
    const uint64_t n = std::min(r - kHeaderLength, in.spec->max_length);
    if (!v.find(kObj, kHeaderLength, 100)) return kHeaderLength + 100;

    const Pattern& eof = footer_or(in, kEof);
    std::optional<uint64_t> e;
    const auto lin = v.find(kLinearized, kHeaderLength, 512);
    const auto l = lin ? v.find(kLength, *lin, 512) : std::nullopt;
    if (l) {
        const uint64_t after = *l + 3;
        const uint64_t f = read_decimal(v, after);
        if (f == 0) return after;
        if (f > r) {
            if (f <= in.spec->max_length) return std::nullopt;
            return after;
        }
        // The stated length can be anything: a field too small to hold
        // "%%EOF" before it names no file.
        if (f < 15) return after;
        e = v.find(eof, f - 15, 14);
    } else {
        // Keep one byte after "%%EOF" inside the buffer: it belongs to the file.
        e = v.find(eof, kHeaderLength, std::min(n, r - kHeaderLength - 1));
    }
    if (!e) return std::nullopt;
    const uint64_t size = *e + 5 + 1;
    record_at(in, 0, size);
    return *e + 6;
}

}  // namespace

FormatDefinition pdf_format() {
    const FormatRow row{"pdf", FormatType::Pdf, bytes_of("%PDF-1."), bytes_of("%%EOF"), 40 * kMiB,
                        {bytes_of("/L "), bytes_of("obj"), bytes_of("/Linearized"), bytes_of("/Length")}, true,
                        extract_pdf};
    return {row, {{"pdf", with_max_length(row, 20 * kMiB)}}};
}

}  // namespace quen::cdr::fmt
