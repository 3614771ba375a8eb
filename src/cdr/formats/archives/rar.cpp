// RAR 1.5-4.x: a 7-byte marker block "Rar!\x1A\x07\x00", the archive header
// (type "s"), file headers (type "t") each followed by its packed data, and
// an end-of-archive block (type "{", 7 bytes). Every block has its type at 2,
// flags u16 at 3 and header size u16 at 5; a file header's packed size is the
// u32 at 7.
#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

constexpr uint8_t kArchiveHeader = 0x73;  // 's'
constexpr uint8_t kFileHeader = 0x74;     // 't'
constexpr uint8_t kEndOfArchive = 0x7B;   // '{'
constexpr uint64_t kEndBlock = 7;
constexpr uint64_t kEncryptedSearch = 51200;

ExtractResult extract_rar(const ExtractInput& in) {
    static const Pattern kZeros = make_pattern(std::string_view("\0\0\0\0\0\0\0\0", 8));
    static const Pattern kFileType = make_pattern("t");
    const ByteView v(in);
    const uint64_t r = v.size();
    const auto marker = v.le16(5);
    if (!marker) return std::nullopt;
    const uint64_t archive = *marker;
    if (archive >= r) return std::nullopt;
    const uint64_t rest = r - archive;  // R: the bytes after the marker block
    auto type_at = [&](uint64_t at) { return v.u8(at + 2); };

    const auto archive_type = type_at(archive);
    const auto archive_size = v.le16(archive + 5);
    if (!archive_type || !archive_size) return std::nullopt;
    if (*archive_type != kArchiveHeader) return go_on(in, archive);

    uint64_t block = archive + *archive_size;
    if (type_at(block) != kFileHeader) {
        if (const auto t = v.find(kFileType, block + 2, 500)) block = *t - 2;
    }
    const Pattern& zeros = footer_or(in, kZeros);

    if (*archive_size == 13 && type_at(block) != kFileHeader) {
        if (block > rest) return std::nullopt;
        const uint64_t len = std::min(rest - block, in.spec->max_length);
        const auto f = v.find(zeros, block, len);
        const uint64_t end = f ? *f : len;
        if (end == 0) return skip(in);
        record_at(in, 0, end);
        return end;
    }

    bool walked = false, encrypted = false;
    while (type_at(block) == kFileHeader) {
        const auto h = v.le16(block + 5);
        const auto p = v.le32(block + 7);
        if (!h || !p) return needs_more(in);
        const uint64_t next = block + *h + *p;
        // An archive longer than the bytes given is read through the window,
        // never listed cut short as if whole (nor taken for an encrypted one).
        if (*h != 0 && next + kEndBlock > r && !no_more_bytes(in)) return std::nullopt;
        if (*h == 0 || *h > rest || *p > rest || uint64_t{*h} + *p > rest) encrypted = true;
        if (next > rest || next == block) break;
        block = next;
        walked = true;
    }
    if (encrypted) {
        const auto f = v.find(zeros, block, kEncryptedSearch);
        block = f ? *f : kEncryptedSearch;
    }
    if (!walked && type_at(block) != kEndOfArchive) return go_on(in, block);
    const uint64_t end = std::min(block + kEndBlock, r);
    record_at(in, 0, end);
    return end;
}

}  // namespace

FormatDefinition rar_format() {
    const FormatRow row{"rar", FormatType::Rar, {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00},
                        std::vector<uint8_t>(8, 0x00), 100 * kMiB, {}, true, extract_rar};
    return {row, {{"rar", row}}};
}

}  // namespace quen::cdr::fmt
