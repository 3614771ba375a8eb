// JPEG (JFIF/Exif): SOI FF D8, then marker segments "FF xx" each followed by a
// big-endian u16 length that counts itself but not the marker. The walk steps
// over the header segments; only a file that carries both a quantisation table
// (DQT, FF DB) and a Huffman table (DHT, FF C4) before the image data is
// searched for its end-of-image marker FF D9.
//
// Inside entropy-coded data an FF byte is always followed by 00 (a stuffed
// byte), a restart marker D0..D7, a fill FF, or a segment between the scans
// of a progressive picture; so the end search follows the markers, and a
// byte pair that cannot occur there (another picture's SOI, foreign bytes)
// shows that the picture was cut before its end: no file.
//
// Phones store more pictures after the first one's end (depth maps, the
// larger preview) and name them in an APP2 "MPF" segment: the file then ends
// with the last picture it names.
#include <cstring>

#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

constexpr uint8_t kSoi = 0xD8, kEoi = 0xD9;

// Markers that carry a length and may stand between the scans of one picture.
bool segment_between_scans(uint8_t m) {
    return m == 0xC4 || m == 0xCC || m == 0xDA || m == 0xDB || m == 0xDD || m == 0xFE || (m >= 0xE0 && m <= 0xEF) ||
           (m >= 0xC0 && m <= 0xCF && m != 0xC8);
}

// The first segment of a JPEG: an application segment (JFIF, Exif, ...), or
// straight away a quantisation table or comment.
bool first_segment(uint8_t m) { return (m >= 0xE0 && m <= 0xEF) || m == 0xDB || m == 0xFE; }

struct Scan {
    enum Outcome { Found, Cut, OutOfBytes } outcome;
    uint64_t end = 0;  // after FF D9
};

// Follows the markers from `from` to the end-of-image marker.
Scan find_end(const ByteView& v, uint64_t from, uint64_t limit) {
    const uint8_t* p = v.data();
    const uint64_t n = std::min(v.size(), limit);
    uint64_t i = from;
    while (i < n) {
        const void* ff = std::memchr(p + i, 0xFF, static_cast<size_t>(n - i));
        if (!ff) return {Scan::OutOfBytes};
        i = static_cast<uint64_t>(static_cast<const uint8_t*>(ff) - p);
        if (i + 1 >= n) return {Scan::OutOfBytes};
        const uint8_t m = p[i + 1];
        if (m == 0x00 || (m >= 0xD0 && m <= 0xD7)) {
            i += 2;
        } else if (m == 0xFF) {
            i += 1;
        } else if (m == kEoi) {
            return {Scan::Found, i + 2};
        } else if (segment_between_scans(m)) {
            const auto len = v.be16(i + 2);
            if (!len) return {Scan::OutOfBytes};
            if (*len < 2) return {Scan::Cut};
            i += 2 + uint64_t{*len};
        } else {
            return {Scan::Cut};  // SOI of another picture, or not JPEG data at all
        }
    }
    return {Scan::OutOfBytes};
}

// The end of the last picture an MPF segment names, in bytes from the file's
// start (0: none). `tiff` is where the segment's TIFF header starts; picture
// offsets count from there, and 0 is the first picture itself.
uint64_t mpf_end(const ByteView& v, uint64_t tiff, uint64_t segment_end) {
    const ByteView t(v.data() + tiff, segment_end - tiff);
    bool little;
    if (t.equals(0, "II*\0"))
        little = true;
    else if (t.equals(0, std::string_view("MM\0*", 4)))
        little = false;
    else
        return 0;
    auto u16 = [&](uint64_t at) { return little ? t.le16(at) : t.be16(at); };
    auto u32 = [&](uint64_t at) { return little ? t.le32(at) : t.be32(at); };
    const auto ifd = u32(4);
    if (!ifd) return 0;
    const auto count = u16(*ifd);
    if (!count) return 0;
    for (uint64_t e = 0; e < *count; ++e) {
        const uint64_t entry = *ifd + 2 + 12 * e;
        const auto tag = u16(entry);
        const auto n = u32(entry + 4), where = u32(entry + 8);
        if (!tag || !n || !where) return 0;
        if (*tag != 0xB002) continue;  // MPEntry: 16 bytes per picture
        uint64_t end = 0;
        for (uint64_t k = 0; k + 16 <= *n; k += 16) {
            const auto size = u32(*where + k + 4), offset = u32(*where + k + 8);
            if (!size || !offset) return 0;
            if (*offset != 0) end = std::max(end, tiff + uint64_t{*offset} + *size);
        }
        return end;
    }
    return 0;
}

ExtractResult extract_jpeg(const ExtractInput& in) {
    static const Pattern kEoiPattern = make_pattern("\xFF\xD9");
    const ByteView v(in);
    const uint64_t r = v.size();
    if (r < 128) return needs_more(in);
    // Byte 3 is the first segment's marker.
    if (!first_segment(v.data()[3])) return skip(in);

    // p + 2 is the marker of the current segment, p + 4 its length.
    uint64_t p = 0;
    bool quant = false, huff = false;
    uint64_t extra_end = 0;  // where the pictures an MPF segment names end
    if (v.data()[3] == 0xDB) quant = true;
    for (;;) {
        const auto len = v.be16(p + 4);
        if (!len) return needs_more(in);  // the segment runs past the bytes given
        if (v.u8(p + 3) == 0xE2 && *len >= 8 && p + 4 + *len <= r && v.equals(p + 6, std::string_view("MPF\0", 4)))
            extra_end = mpf_end(v, p + 10, p + 4 + *len);
        p += *len + 2;
        if (p > r) return needs_more(in);
        const auto m = v.u8(p + 2);
        if (!m) return needs_more(in);
        if (*m != 0xFF) break;  // entropy-coded data: the header segments end here
        if (v.u8(p + 3) == 0xFF) ++p;  // fill byte before the marker
        const auto m3 = v.u8(p + 3), m4 = v.u8(p + 4);
        if (!m3 || !m4) return needs_more(in);
        if (*m3 == 0xDB || *m4 == 0xDB)
            quant = true;
        else if (*m3 == 0xC4)
            huff = true;
    }
    if (!quant || !huff) return skip(in);

    uint64_t size;
    if (in.spec->footer.bytes == kEoiPattern.bytes) {
        const Scan s = find_end(v, p, in.spec->max_length);
        if (s.outcome == Scan::OutOfBytes) return needs_more(in);
        if (s.outcome == Scan::Cut) return skip(in);
        size = s.end;
    } else {
        // A footer of the caller's own: searched for as it is.
        const auto end = v.find(in.spec->footer, p, std::min(r - p, in.spec->max_length));
        if (!end) return needs_more(in);
        size = *end + in.spec->footer.size();
    }
    if (extra_end > size) {
        // The named pictures follow; each must begin with SOI.
        if (extra_end > in.spec->max_length) return skip(in);
        if (extra_end > r) return needs_more(in);
        if (v.u8(size) != 0xFF || v.u8(size + 1) != kSoi) return skip(in);
        size = extra_end;
    }
    record_at(in, 0, size);
    return size;
}

}  // namespace

FormatDefinition jpeg_format() {
    // Phone cameras write pictures of 10 to 40 MB.
    const FormatRow row{"jpg", FormatType::Jpeg, {0xFF, 0xD8, 0xFF}, {0xFF, 0xD9}, 64 * kMiB, {}, true, extract_jpeg};
    return {row, {{"jpg", row}, {"jpeg", row}}};
}

}  // namespace quen::cdr::fmt
