// ASF (WMV/WMA): the header object (GUID 30 26 B2 75 ..., u64 size at 16,
// u32 object count at 24, reserved byte 1 at 28) holds the file-properties
// object (GUID A1 DC AB 8C 47 A9 ...), whose file size field is the u64 at 40.
// The data object (GUID 36 26 B2 75 ..., u64 size at 16) follows the header
// object; the file is at least header and data long. Only those headers and
// the file's last byte are read, so a long video needs no window.
#include <string>

#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

ExtractResult extract_wmv(const ExtractInput& in) {
    static const Pattern kFileProperties = make_pattern("\xA1\xDC\xAB\x8C\x47\xA9");
    static const uint8_t kData[] = {0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11};
    const ByteView v(in);
    const uint64_t r = v.size();
    if (r < 70) return skip(in);
    const uint64_t header_size = *v.le64(16);
    const auto objects = static_cast<int32_t>(*v.le32(24));
    if (header_size == 0 || objects <= 0 || v.data()[28] != 1) {
        warn(in, "WMV err num_header_objs=" + std::to_string(objects) +
                     " headerSize=" + std::to_string(header_size) + "\n");
        return 30;
    }
    // The file-properties object lies in the header object, fetched when it
    // runs past the bytes given.
    const FarView far(in);
    if (header_size > ByteFetcher::kMaxFetch && header_size > r) return skip(in);
    const auto head_bytes = far.bytes(0, static_cast<size_t>(header_size));
    if (head_bytes.empty()) return skip(in);
    const ByteView head(head_bytes.data(), head_bytes.size());
    const auto props = head.find(footer_or(in, kFileProperties), 30, header_size - 30);
    if (!props) return skip(in);
    const auto size = head.le64(*props + 40);
    if (!size || *size == 0 || *size > in.spec->max_length) return skip(in);
    const auto data = far.bytes(static_cast<int64_t>(header_size), 24);
    if (data.empty() || !std::equal(std::begin(kData), std::end(kData), data.begin())) return skip(in);
    const uint64_t data_size = ByteView(data.data(), data.size()).le64(16).value_or(0);
    if (data_size < 24 || header_size + data_size > *size) return skip(in);
    if (!far.reaches(0, *size)) return skip(in);  // cut by the disk's end
    record_at(in, 0, *size);
    return *size;
}

}  // namespace

FormatDefinition wmv_format() {
    FormatRow row{"wmv", FormatType::Wmv, {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11},
                  {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9}, 4 * platform::kGiB, {}, true, extract_wmv};
    row.fetches = true;
    return {row, {{"wmv", row}}};
}

}  // namespace quen::cdr::fmt
