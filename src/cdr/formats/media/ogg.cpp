// Ogg (Opus and Vorbis recordings, Speex, FLAC in Ogg): pages of "OggS",
// version 0, a header type (bit 1: first page of a stream, bit 2: its last
// page), granule, stream serial (u32 at 14), sequence, CRC (u32 at 22), a
// segment count at 26 and that many segment lengths; the page's data follows.
// The CRC covers the whole page with its own field as zeros. Pages are
// walked with their CRC checked until every stream begun has had its last
// page: a page that is missing or broken before that means the file was cut.
#include <algorithm>
#include <array>
#include <vector>

#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

constexpr uint8_t kFirstPage = 0x02, kLastPage = 0x04;
constexpr size_t kMostStreams = 16;

const std::array<uint32_t, 256>& crc_table() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i << 24;
            for (int k = 0; k < 8; ++k) c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : c << 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

uint32_t page_crc(const uint8_t* p, uint64_t len) {
    const auto& t = crc_table();
    uint32_t crc = 0;
    for (uint64_t i = 0; i < len; ++i) {
        const uint8_t b = (i >= 22 && i < 26) ? 0 : p[i];
        crc = (crc << 8) ^ t[((crc >> 24) ^ b) & 0xFF];
    }
    return crc;
}

// The file's extension from the first packet of its first stream.
const char* kind_of(const ByteView& v, uint64_t data) {
    if (v.equals(data, "OpusHead")) return "opus";
    if (v.equals(data, "Speex   ")) return "spx";
    if (v.equals(data, "\x7F" "FLAC")) return "oga";
    return "ogg";
}

ExtractResult extract_ogg(const ExtractInput& in) {
    const ByteView v(in);
    const uint64_t max = in.spec->max_length;
    std::vector<uint32_t> open, closed;
    const char* ext = nullptr;
    uint64_t p = 0;
    for (;;) {
        if (!v.has(p, 27)) return needs_more(in);
        if (!v.equals(p, "OggS") || v.data()[p + 4] != 0) break;
        const uint8_t type = v.data()[p + 5];
        const uint32_t serial = *v.le32(p + 14);
        const uint64_t segments = v.data()[p + 26];
        if (!v.has(p + 27, segments)) return needs_more(in);
        uint64_t body = 0;
        for (uint64_t s = 0; s < segments; ++s) body += v.data()[p + 27 + s];
        const uint64_t length = 27 + segments + body;
        if (p + length > max) return skip(in);
        if (!v.has(p, length)) return needs_more(in);
        if (page_crc(v.data() + p, length) != *v.le32(p + 22)) break;
        const bool known = std::find(open.begin(), open.end(), serial) != open.end();
        if (type & kFirstPage) {
            if (known || open.size() >= kMostStreams) break;
            open.push_back(serial);
            if (!ext) ext = kind_of(v, p + 27 + segments);
        } else if (!known) {
            break;  // a page of a stream that never began here: another file
        }
        p += length;
        if (type & kLastPage) {
            closed.push_back(serial);
            if (closed.size() == open.size()) {
                in.spec->extension = ext ? ext : "ogg";
                record_at(in, 0, p);
                return p;
            }
        }
    }
    return p > 0 ? go_on(in, p) : skip(in);  // cut before its end
}

}  // namespace

FormatDefinition ogg_format() {
    const FormatRow row{"ogg", FormatType::Ogg, bytes_of("OggS"), {}, 100 * kMiB, {}, true, extract_ogg};
    return {row, {{"ogg", row}, {"opus", row}}};
}

}  // namespace quen::cdr::fmt
