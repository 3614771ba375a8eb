// PNG: the 8-byte signature, then chunks of (BE u32 length, 4-byte type, data,
// CRC), IHDR first (width and height BE u32 at 16 and 20), IEND last.
#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

ExtractResult extract_png(const ExtractInput& in) {
    const ByteView v(in);
    const uint64_t r = v.size();
    if (r < 100) return std::nullopt;
    const uint32_t width = *v.be32(16), height = *v.be32(20);
    if (width < 1 || width > 3000 || height < 1 || height > 3000) return 8;

    // A chunk walk that leaves the buffer gives up at the last good chunk:
    // a PNG is never completed through a disk window.
    uint64_t chunk = 8;
    for (;;) {
        const auto len = v.be32(chunk);
        if (!len || static_cast<int32_t>(*len) <= 0) return chunk;
        const uint64_t next = chunk + *len + 12;
        if (next > r) return chunk;
        const auto type0 = v.u8(next + 4);
        if (!type0 || !is_print(*type0)) return chunk;
        if (v.equals(next + 4, "IEND")) {
            const uint64_t size = std::min(next + 12 + *v.be32(next), r);
            record_at(in, 0, size);
            return size;
        }
        chunk = next;
    }
}

}  // namespace

FormatDefinition png_format() {
    const FormatRow row{"png", FormatType::Png, {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A},
                        bytes_of("IEND"), 1 * kMiB, {}, true, extract_png};
    return {row, {{"png", row}}};
}

}  // namespace quen::cdr::fmt
