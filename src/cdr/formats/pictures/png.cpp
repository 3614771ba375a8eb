// PNG: the 8-byte signature, then chunks of (BE u32 length, 4-byte type, data,
// CRC), IHDR first (width and height BE u32 at 16 and 20), IEND last. Chunk
// types are four ASCII letters; anything else where a chunk should begin
// means the picture was cut before its end.
#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

// PNG allows 2^31 - 1; phones write screenshots of 1440 x 3200 and panoramas
// of tens of thousands of pixels.
constexpr uint32_t kLargestSide = 1u << 20;

bool is_letter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool chunk_type_at(const ByteView& v, uint64_t at) {
    for (uint64_t i = 0; i < 4; ++i)
        if (!is_letter(v.data()[at + i])) return false;
    return true;
}

ExtractResult extract_png(const ExtractInput& in) {
    const ByteView v(in);
    const uint64_t r = v.size();
    if (r < 100) return needs_more(in);
    const uint32_t width = *v.be32(16), height = *v.be32(20);
    if (width < 1 || width > kLargestSide || height < 1 || height > kLargestSide) return 8;

    uint64_t chunk = 8;
    for (;;) {
        const auto len = v.be32(chunk);
        if (!len || !v.has(chunk + 4, 4)) return needs_more(in);
        if (*len > 0x7FFFFFFFu || !chunk_type_at(v, chunk + 4)) return chunk;  // cut here
        const uint64_t next = chunk + *len + 12;
        if (v.equals(chunk + 4, "IEND")) {
            if (next > r) return needs_more(in);
            record_at(in, 0, next);
            return next;
        }
        if (next > in.spec->max_length) return chunk;
        chunk = next;
    }
}

}  // namespace

FormatDefinition png_format() {
    const FormatRow row{"png", FormatType::Png, {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A},
                        bytes_of("IEND"), 64 * kMiB, {}, true, extract_png};
    return {row, {{"png", row}}};
}

}  // namespace quen::cdr::fmt
