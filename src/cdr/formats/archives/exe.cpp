// Windows executable: the DOS "MZ" header holds the PE header's offset (u16 at
// 60); "PE\0\0" is followed by the file header (section count u16 at +6,
// optional header size u16 at +20, characteristics u16 at +22), the optional
// header (magic 0x10B for 32-bit, 0x20B for 64-bit programs, with the data
// directories at its end), then the section table of 40-byte entries (size
// of raw data u32 at 16, pointer to raw data u32 at 20). The file ends with
// the section whose raw data ends last, or with the signature (the security
// data directory, a file offset and size) that installers append after it.
//
// The headers give the end, so the file is never read whole: only its last
// byte is fetched, to know it is still on the disk.
#include <string>

#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

constexpr uint16_t kDll = 0x2000;
constexpr uint16_t kSystem = 0x1000;
constexpr uint16_t kExecutable = 0x0002;
constexpr uint16_t kPe32 = 0x10B, kPe32Plus = 0x20B;
constexpr uint64_t kSecurityDirectory = 4;

// Where the security directory's (offset, size) pair lies in the optional
// header, for its magic; 0 when unknown.
uint64_t security_entry(uint16_t magic) {
    if (magic == kPe32) return 96 + 8 * kSecurityDirectory;
    if (magic == kPe32Plus) return 112 + 8 * kSecurityDirectory;
    return 0;
}

ExtractResult extract_exe(const ExtractInput& in) {
    const FarView far(in);
    const std::span<const uint8_t> dos = far.bytes(0, 100);
    if (dos.empty()) return skip(in);
    const uint64_t pe = ByteView(dos.data(), dos.size()).le16(60).value_or(0);
    if (pe < 1 || pe > 1000 || !far.equals(static_cast<int64_t>(pe), std::string_view("PE\0\0", 4)))
        return go_on(in, pe);
    // File header fields, then the optional header's magic (each read is
    // taken in at once: a fetched span lasts until the next read).
    const auto head = far.le32(static_cast<int64_t>(pe) + 4);     // machine, section count
    const auto sizes = far.le32(static_cast<int64_t>(pe) + 20);   // optional header size, characteristics
    const auto magic_field = far.le32(static_cast<int64_t>(pe) + 24);
    if (!head || !sizes || !magic_field) return go_on(in, pe);
    const uint64_t sections = *head >> 16;
    const uint64_t optional_size = *sizes & 0xFFFF;
    const auto characteristics = static_cast<uint16_t>(*sizes >> 16);
    const auto magic = static_cast<uint16_t>(*magic_field & 0xFFFF);
    if (sections == 0 || sections > 96) return go_on(in, pe);
    const uint64_t table = pe + 24 + optional_size;
    const uint64_t table_end = table + sections * 40;
    const bool library = (characteristics & kDll) != 0;
    if (!library && !(characteristics & (kSystem | kExecutable))) return go_on(in, pe);

    uint64_t size = 0;
    for (uint64_t s = 0; s < sections; ++s) {
        const auto raw_size = far.le32(static_cast<int64_t>(table + 40 * s + 16));
        const auto raw_at = far.le32(static_cast<int64_t>(table + 40 * s + 20));
        if (!raw_size || !raw_at) return go_on(in, pe);
        if (*raw_size > 0) size = std::max(size, uint64_t{*raw_at} + *raw_size);
    }
    if (const uint64_t entry = security_entry(magic); entry != 0 && entry + 8 <= optional_size) {
        const auto at = far.le32(static_cast<int64_t>(pe + 24 + entry));
        const auto len = far.le32(static_cast<int64_t>(pe + 24 + entry + 4));
        if (at && len && *at != 0 && *len != 0) size = std::max(size, uint64_t{*at} + *len);
    }
    if (size < 512 || size > in.spec->max_length || size < table_end) return table_end + 60;
    if (!far.reaches(0, size)) return skip(in);  // cut by the disk's end
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
    // Installers and programs run to hundreds of megabytes.
    FormatRow row{"exe", FormatType::Exe, bytes_of("MZ"), {}, 256 * kMiB, {}, true, extract_exe};
    row.fetches = true;
    return {row, {{"exe", row}}};
}

}  // namespace quen::cdr::fmt
