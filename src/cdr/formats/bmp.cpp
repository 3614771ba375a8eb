// Windows bitmap: "BM", the file size (u32 at 2), then the info header whose
// own size is the u32 at 14, width (s32 at 18) and height (s32 at 22).
#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

ExtractResult extract_bmp(const ExtractInput& in) {
    const ByteView v(in);
    if (v.size() < 100) return skip(in);
    const uint32_t size = *v.le32(2);
    const uint32_t info_size = *v.le32(14);
    const auto width = static_cast<int32_t>(*v.le32(18));
    const auto height = static_cast<int32_t>(*v.le32(22));
    if (size <= 100 || size > in.spec->max_length) return skip(in);
    if (info_size < 1 || info_size > 1000) return skip(in);
    if (height < 1 || height > 2000 || width <= 0) return skip(in);
    if (size > v.size()) return std::nullopt;
    record_at(in, 0, size);
    return size;
}

}  // namespace

FormatDefinition bmp_format() {
    const FormatRow row{"bmp", FormatType::Bmp, bytes_of("BM"), {}, 2 * kMiB, {}, true, extract_bmp};
    return {row, {{"bmp", row}}};
}

}  // namespace quen::cdr::fmt
