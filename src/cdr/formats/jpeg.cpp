// JPEG (JFIF/Exif): SOI FF D8, then marker segments "FF xx" each followed by a
// big-endian u16 length that counts itself but not the marker. The walk steps
// over the header segments; only a file that carries both a quantisation table
// (DQT, FF DB) and a Huffman table (DHT, FF C4) before the image data is
// searched for its end-of-image marker FF D9.
#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

ExtractResult extract_jpeg(const ExtractInput& in) {
    static const Pattern kEoi = make_pattern("\xFF\xD9");
    const ByteView v(in);
    const uint64_t r = v.size();
    if (r < 128) return std::nullopt;
    // Byte 3 is the first segment's marker: APP0 (JFIF) or APP1 (Exif).
    if (v.data()[3] != 0xE0 && v.data()[3] != 0xE1) return skip(in);

    // p + 2 is the marker of the current segment, p + 4 its length.
    uint64_t p = 0;
    bool quant = false, huff = false;
    for (;;) {
        const auto len = v.be16(p + 4);
        if (!len) return std::nullopt;  // the segment runs past the bytes given
        p += *len + 2;
        if (p > r) return std::nullopt;
        const auto m = v.u8(p + 2);
        if (!m) return std::nullopt;
        if (*m != 0xFF) break;  // entropy-coded data: the header segments end here
        if (v.u8(p + 3) == 0xFF) ++p;  // fill byte before the marker
        const auto m3 = v.u8(p + 3), m4 = v.u8(p + 4);
        if (!m3 || !m4) return std::nullopt;
        if (*m3 == 0xDB || *m4 == 0xDB)
            quant = true;
        else if (*m3 == 0xC4)
            huff = true;
    }
    if (!quant || !huff) return skip(in);

    const auto end = v.find(footer_or(in, kEoi), p, std::min(r - p, in.spec->max_length));
    if (!end) return std::nullopt;
    const uint64_t size = *end + 2;
    record_at(in, 0, size);
    return size;
}

}  // namespace

FormatDefinition jpeg_format() {
    const FormatRow row{"jpg", FormatType::Jpeg, {0xFF, 0xD8, 0xFF}, {0xFF, 0xD9}, 20 * kMiB, {}, true, extract_jpeg};
    return {row, {{"jpg", row}, {"jpeg", row}}};
}

}  // namespace quen::cdr::fmt
