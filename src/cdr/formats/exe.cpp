// Windows executable: the DOS "MZ" header holds the PE header's offset (u16 at
// 60); "PE\0\0" is followed by the file header (section count u16 at +6,
// characteristics u16 at +22) and a PE32 optional header of 224 bytes, then
// the section table of 40-byte entries (size of raw data u32 at 16, pointer to
// raw data u32 at 20). The file ends with the last section's raw data.
#include <string>

#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

constexpr uint16_t kDll = 0x2000;
constexpr uint16_t kSystem = 0x1000;
constexpr uint16_t kExecutable = 0x0002;
constexpr uint64_t kLargest = 0x400000;

ExtractResult extract_exe(const ExtractInput& in) {
    const ByteView v(in);
    const uint64_t r = v.size();
    if (r < 100) return skip(in);
    const uint64_t pe = *v.le16(60);
    if (pe < 1 || pe > 1000 || pe >= r || !v.equals(pe, "PE")) return go_on(in, pe);
    const auto count = v.le16(pe + 6);
    const auto characteristics = v.le16(pe + 22);
    if (!count || !characteristics) return go_on(in, pe);
    const uint64_t table = pe + 248;
    const uint64_t table_end = table + uint64_t{*count} * 40;
    // The whole section table must be in the bytes given, and hold a section.
    if (uint64_t{*count} * 40 + 224 > r || *count == 0 || table_end > r) return go_on(in, pe);
    const bool library = (*characteristics & kDll) != 0;
    if (!library && !(*characteristics & (kSystem | kExecutable))) return go_on(in, pe);

    const uint64_t last = table_end - 40;
    uint64_t size = uint64_t{*v.le32(last + 20)} + *v.le32(last + 16);
    if (size < 512 || size > kLargest) return table_end + 60;
    size = std::min(size, r);
    if (library) {
        const std::string saved = in.spec->extension;
        in.spec->extension = "dll";
        record_at(in, 0, size);
        in.spec->extension = saved;
    } else {
        record_at(in, 0, size);
    }
    return size;
}

}  // namespace

FormatDefinition exe_format() {
    const FormatRow row{"exe", FormatType::Exe, bytes_of("MZ"), {}, 1 * kMiB, {}, true, extract_exe};
    return {row, {{"exe", row}}};
}

}  // namespace quen::cdr::fmt
