// ASF (WMV/WMA): the header object (GUID 30 26 B2 75 ..., u64 size at 16,
// u32 object count at 24, reserved byte 1 at 28) holds the file-properties
// object (GUID A1 DC AB 8C 47 A9 ...), whose file size field is the u64 at 40.
#include <string>

#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

ExtractResult extract_wmv(const ExtractInput& in) {
    static const Pattern kFileProperties = make_pattern("\xA1\xDC\xAB\x8C\x47\xA9");
    const ByteView v(in);
    const uint64_t r = v.size();
    if (r < 70) return std::nullopt;
    const uint64_t header_size = *v.le64(16);
    const auto objects = static_cast<int32_t>(*v.le32(24));
    if (header_size == 0 || objects <= 0 || v.data()[28] != 1) {
        warn(in, "WMV err num_header_objs=" + std::to_string(objects) +
                     " headerSize=" + std::to_string(header_size) + "\n");
        return 30;
    }
    const auto props = v.find(footer_or(in, kFileProperties), 30, std::min(r - 30, in.spec->max_length));
    if (!props) return std::nullopt;
    const auto size = v.le32(*props + 40);
    if (!size || *size == 0 || *size > in.spec->max_length || *size > r) return std::nullopt;
    record_at(in, 0, *size);
    return *size;
}

}  // namespace

FormatDefinition wmv_format() {
    const FormatRow row{"wmv", FormatType::Wmv, {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11},
                        {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9}, 40 * kMiB, {}, true, extract_wmv};
    return {row, {{"wmv", with_max_length(row, 20 * kMiB)}}};
}

}  // namespace quen::cdr::fmt
