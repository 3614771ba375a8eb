// Windows bitmap: "BM", the file size (u32 at 2), the offset of the pixels
// (u32 at 10), then the info header whose own size is the u32 at 14, width
// (s32 at 18), height (s32 at 22; negative for a picture stored top down),
// bits per pixel (u16 at 28) and compression (u32 at 30).
//
// The size field gives the end, so the file is never read whole: only its
// last byte is fetched, to know it is still on the disk. Two letters are a
// weak header, so an uncompressed picture's size must also agree with its
// dimensions.
#include <cstdlib>

#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

constexpr int64_t kLargestSide = 100000;  // pixels; panoramas run to tens of thousands
constexpr uint64_t kPixelSlack = 64 * 1024;  // what writers may add after the pixels

ExtractResult extract_bmp(const ExtractInput& in) {
    // The header may lie across the chunk's end: it is fetched then.
    const FarView far(in);
    const std::span<const uint8_t> head = far.bytes(0, 100);
    if (head.empty()) return skip(in);
    const ByteView v(head.data(), head.size());
    const uint32_t size = *v.le32(2);
    const uint32_t pixels = *v.le32(10);
    const uint32_t info_size = *v.le32(14);
    const int64_t width = static_cast<int32_t>(*v.le32(18));
    const int64_t height = static_cast<int32_t>(*v.le32(22));
    const uint16_t bits = *v.le16(28);
    const uint32_t compression = *v.le32(30);
    if (size <= 100 || size > in.spec->max_length) return skip(in);
    if (info_size < 12 || info_size > 1000) return skip(in);
    if (width <= 0 || width > kLargestSide || height == 0 || std::llabs(height) > kLargestSide) return skip(in);
    if (pixels < 14 + info_size || pixels >= size) return skip(in);
    // Uncompressed (and bit-field) pictures: rows of whole 4-byte words.
    if (compression == 0 || compression == 3) {
        if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return skip(in);
        const uint64_t row = (uint64_t(bits) * uint64_t(width) + 31) / 32 * 4;
        const uint64_t need = pixels + row * uint64_t(std::llabs(height));
        if (size < need || size > need + kPixelSlack) return skip(in);
    }
    if (!far.reaches(0, size)) return skip(in);  // cut by the disk's end
    record_at(in, 0, size);
    return size;
}

}  // namespace

FormatDefinition bmp_format() {
    // A phone screenshot (1440 x 3200) stored as a bitmap is 14 MB.
    FormatRow row{"bmp", FormatType::Bmp, bytes_of("BM"), {}, 256 * kMiB, {}, true, extract_bmp};
    row.fetches = true;
    return {row, {{"bmp", row}}};
}

}  // namespace quen::cdr::fmt
