// GIF87a / GIF89a: "GIF8" then "7a" or "9a", the logical screen descriptor
// (flags at 10: a global colour table of 3 * 2^(n+1) bytes when bit 7 is
// set), then blocks: extensions (21, a label, data sub-blocks), images (2C,
// a 9-byte descriptor, an optional local colour table, the LZW code size and
// data sub-blocks) and the trailer 3B. Sub-blocks are a length byte and that
// many bytes; a zero length ends them. The pair 00 3B also occurs inside
// image data, so the end is found by walking the blocks, not by searching.
#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

constexpr uint8_t kExtension = 0x21, kImage = 0x2C, kTrailer = 0x3B;

uint64_t colour_table(uint8_t flags) { return (flags & 0x80) ? 3u << ((flags & 0x07) + 1) : 0; }

enum class Walk { Ok, OutOfBytes, Broken };

// Steps over data sub-blocks from p to just after their terminator.
Walk skip_sub_blocks(const ByteView& v, uint64_t& p) {
    for (;;) {
        const auto len = v.u8(p);
        if (!len) return Walk::OutOfBytes;
        p += 1 + *len;
        if (*len == 0) return Walk::Ok;
    }
}

ExtractResult extract_gif(const ExtractInput& in) {
    const ByteView v(in);
    if (v.size() < 13) return needs_more(in);
    if (!v.equals(4, "9a") && !v.equals(4, "7a")) return 4;
    uint64_t p = 13 + colour_table(v.data()[10]);
    bool image = false;
    Walk w = Walk::Ok;
    for (;;) {
        if (p > in.spec->max_length) return skip(in);
        const auto block = v.u8(p);
        if (!block) {
            w = Walk::OutOfBytes;
            break;
        }
        if (*block == kTrailer) break;
        if (*block == kExtension) {
            p += 2;  // introducer and label
            w = skip_sub_blocks(v, p);
        } else if (*block == kImage) {
            const auto flags = v.u8(p + 9);
            if (!flags) {
                w = Walk::OutOfBytes;
                break;
            }
            p += 10 + colour_table(*flags) + 1;  // descriptor, local table, LZW code size
            w = skip_sub_blocks(v, p);
            image = true;
        } else {
            w = Walk::Broken;  // not a GIF block: the file was cut here
        }
        if (w != Walk::Ok) break;
    }
    if (w == Walk::OutOfBytes) return needs_more(in);
    if (w == Walk::Broken || !image) return skip(in);
    const uint64_t size = p + 1;
    if (size > in.spec->max_length) return skip(in);
    record_at(in, 0, size);
    return size;
}

}  // namespace

FormatDefinition gif_format() {
    // Animations sent through messengers run to several megabytes.
    const FormatRow row{"gif", FormatType::Gif, bytes_of("GIF8"), {0x00, 0x3B}, 32 * kMiB, {{0x00, 0x00, 0x3B}},
                        true, extract_gif};
    return {row, {{"gif", row}}};
}

}  // namespace quen::cdr::fmt
