// MPEG program stream: a pack header 00 00 01 BA followed by a system header
// 00 00 01 BB: at byte 12 after an MPEG-1 pack header, at byte 14 plus the
// stuffing after an MPEG-2 one (byte 4's top bits 01); then start codes
// 00 00 01 xx. Ids BB..EF head packets with a BE u16 length at 4 that counts
// the bytes after it; 00 and BA are picture and pack starts, B9 the program
// end code. A stream whose packets run past the bytes given is read through
// the window; one its writer closed without an end code ends after its last
// packet.
#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

constexpr uint64_t kFirstMiB = kMiB;
constexpr uint64_t kLongestPacket = 51200;

bool has_length(uint8_t id) { return id >= 0xBB && id <= 0xEF; }

ExtractResult extract_mpeg(const ExtractInput& in) {
    static const Pattern kStart = make_pattern(std::string_view("\x00\x00\x01", 3));
    const ByteView v(in);
    const uint64_t r = v.size();
    if (r < 24) return needs_more(in);
    // Where the system header's id lies.
    const uint64_t system_id = (v.data()[4] & 0xC0) == 0x40 ? 14 + (v.data()[13] & 0x07) + 3 : 15;
    const auto id_byte = v.u8(system_id);
    if (!id_byte) return needs_more(in);
    if (*id_byte != 0xBB) return skip(in);

    const uint64_t window = std::min<uint64_t>(r, 2048);
    uint64_t p = 0, end = 0;
    uint64_t unclosed = 0;  // a stream without an end code: the end of its last packet
    for (;;) {
        const bool first_mib = p < kFirstMiB;
        const auto found = v.find(kStart, p, window);
        if (!found) {
            // The bytes given ran out before the next start code could show.
            if (p + window > r && !no_more_bytes(in)) return std::nullopt;
            if (first_mib) return p + 4;
            end = p;
            break;
        }
        uint64_t q = *found;
        auto id = v.u8(q + 3);
        if (!id) return std::nullopt;
        while (has_length(*id)) {
            const auto len = v.be16(q + 4);
            const uint64_t l = len ? *len : 0;
            if (!len || l == 0 || q + l + 6 > r) {
                if (!len) return needs_more(in);
                if (l == 0 || l > kLongestPacket) return p + 4;
                // A packet past the bytes given: the window comes; in the
                // window, the stream is longer than the largest size or cut,
                // and never listed whole.
                return needs_more(in);
            }
            q += l + 6;
            // Writers that close no stream with an end code stop after a
            // packet: what follows is then no start code.
            if (!v.has(q, 4)) {
                if (!no_more_bytes(in)) return std::nullopt;
                unclosed = q;
                break;
            }
            if (!v.equals(q, std::string_view("\0\0\1", 3))) {
                unclosed = q;
                break;
            }
            id = v.u8(q + 3);
        }
        if (unclosed) break;
        if (*id == 0x00 || *id == 0xBA) {
            p = q + 3;
            continue;
        }
        if (*id == 0xB9) {
            end = q;
            break;
        }
        if (first_mib) return p + 4;
        end = p;
        break;
    }
    uint64_t size = unclosed ? unclosed : end + 4;
    if (size <= 1023) return skip(in);
    if (size > r) return needs_more(in);  // never listed whole when it is not
    record_at(in, 0, size);
    return size;
}

}  // namespace

FormatDefinition mpeg_format() {
    const FormatRow row{"mpg", FormatType::Mpeg, {0x00, 0x00, 0x01, 0xBA}, {0x00, 0x00, 0x01, 0xB9}, 50 * kMiB,
                        {{0x00, 0x00, 0x01}}, true, extract_mpeg};
    return {row, {{"mpg", row}, {"mpeg", row}}};
}

}  // namespace quen::cdr::fmt
