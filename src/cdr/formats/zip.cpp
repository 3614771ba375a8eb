// ZIP and the OpenOffice 1.x documents built on it. Local file header
// "PK\3\4": flags u16 at 6, compressed size u32 at 18, uncompressed size u32 at
// 22, name length u16 at 26, extra length u16 at 28, then name, extra and data.
// The archive ends with the end-of-central-directory record "PK\5\6", whose
// comment length is the u16 at 20. An office document stores "mimetype" first,
// uncompressed, so its text sits at byte 30 of the archive.
#include <string>

#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

constexpr uint64_t kOfficeSearch = kMiB;
constexpr uint16_t kDataDescriptor = 0x0008;

const char* wanted_kind(FormatType type) {
    switch (type) {
    case FormatType::Sxw: return "sxw";
    case FormatType::Sxc: return "sxc";
    case FormatType::Sxi: return "sxi";
    default: return nullptr;  // Zip: any
    }
}

bool name_has(const ByteView& v, uint64_t off, uint64_t len, std::string_view what) {
    const std::string_view name(reinterpret_cast<const char*>(v.data() + off), len);
    return name.find(what) != std::string_view::npos;
}

ExtractResult extract_zip(const ExtractInput& in) {
    static const Pattern kEocd = make_pattern(std::string_view("\x4B\x05\x06\x00", 4));
    const ByteView v(in);
    const uint64_t r = v.size();
    const uint64_t max = in.spec->max_length;
    if (r < 100) return std::nullopt;

    std::string ext = "zip";
    bool office = false;
    if (v.equals(30, "mimetypeapplication/vnd.sun.xml.")) {
        office = true;
        if (v.equals(62, "calc"))
            ext = "sxc";
        else if (v.equals(62, "impress"))
            ext = "sxi";
        else if (v.equals(62, "writer"))
            ext = "sxw";
        else
            ext = "sx";
    }
    in.spec->extension = ext;

    uint64_t p = 0;
    bool walked = false, last_sized = false, last_descriptor = false;
    while (v.equals(p + 2, "\x03\x04")) {
        const auto flags = v.le16(p + 6);
        const auto csize = v.le32(p + 18), usize = v.le32(p + 22);
        const auto name_len = v.le16(p + 26), extra_len = v.le16(p + 28);
        if (!flags || !csize || !usize || !name_len || !extra_len) return std::nullopt;
        if (*csize > max || *name_len > 100) return 4;
        const uint64_t next = p + 30 + *name_len + *extra_len + *csize;
        if (next > r) return std::nullopt;
        if (ext == "zip") {
            if (v.equals(p + 30, "content.xml")) {
                ext = "sx";
                office = true;
            } else if (name_has(v, p + 30, *name_len, ".class") || name_has(v, p + 30, *name_len, ".jar") ||
                       name_has(v, p + 30, *name_len, ".java")) {
                ext = "jar";
            }
            in.spec->extension = ext;
        }
        p = next;
        walked = true;
        last_sized = *csize != 0 || *usize != 0;
        last_descriptor = (*flags & kDataDescriptor) != 0;
        if (last_descriptor && !last_sized) break;
    }

    const uint64_t rest = r - p;
    uint64_t limit;
    if (office)
        limit = kOfficeSearch;
    else if (!walked || last_sized || !last_descriptor)
        limit = rest;
    else
        limit = max;
    const auto f = v.find(footer_or(in, kEocd), p, std::min(limit, rest));
    if (!f) {
        if (rest >= limit) return go_on(in, p);
        return std::nullopt;
    }
    // The comment length is read as the u16 at 20 from the match.
    if (r - *f <= 21) return std::nullopt;
    const uint64_t end = *f + 22 + *v.le16(*f + 20);
    // A stated comment that runs past the bytes given: the archive does too.
    if (end > r) return std::nullopt;
    const char* want = wanted_kind(in.spec->type);
    if (!want || ext == want) record_at(in, 0, end);
    return end - 2;
}

}  // namespace

FormatDefinition zip_format() {
    const std::vector<uint8_t> header{0x50, 0x4B, 0x03, 0x04};
    // One byte into the end-of-central-directory record ("PK\5\6" then disk 0).
    const std::vector<uint8_t> end_record_inside{0x4B, 0x05, 0x06, 0x00};
    auto office = [&](const char* ext, FormatType type) {
        return FormatRow{ext, type, header, end_record_inside, 10 * kMiB, {}, true, extract_zip};
    };
    return {FormatRow{"zip", FormatType::Zip, header, end_record_inside, 100 * kMiB, {}, true, extract_zip},
            {{"zip", FormatRow{"zip", FormatType::Zip, header, {0x50, 0x4B, 0x05, 0x06}, 100 * kMiB, {}, true,
                               extract_zip}},
             {"sxw", office("sxw", FormatType::Sxw)},
             {"sxc", office("sxc", FormatType::Sxc)},
             {"sxi", office("sxi", FormatType::Sxi)}}};
}

}  // namespace quen::cdr::fmt
