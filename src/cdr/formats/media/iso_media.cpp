// ISO base media files: MP4 and M4A (phones' videos and voice recordings),
// 3GP (older phones, MMS), QuickTime movies with a file-type box, and
// HEIC/HEIF/AVIF pictures. The file starts with an "ftyp" box (so quick mode
// looks for "ftyp" 4 bytes into each block) that names the major brand and
// the compatible ones; the file's kind and extension come from them. The top-level
// boxes are walked to the end (iso_boxes.h): a movie or recording needs its
// "moov" box, a picture its "meta" box.
#include <cstring>
#include <string>

#include "cdr/formats/format_util.h"
#include "cdr/formats/iso_boxes.h"

namespace quen::cdr::fmt {

namespace {

constexpr uint32_t kLongestFileType = 4096;

bool brand_is(const uint8_t* b, std::string_view name) { return std::memcmp(b, name.data(), 4) == 0; }

bool picture_brand(const uint8_t* b) {
    for (std::string_view n : {"heic", "heix", "heim", "heis", "hevc", "hevx", "hevm", "hevs", "mif1", "msf1", "avif",
                               "avis", "mif2"})
        if (brand_is(b, n)) return true;
    return false;
}

// The extension a brand names; `compat` are the compatible brands.
const char* extension_of(const uint8_t* major, std::span<const uint8_t> compat) {
    auto has = [&](std::string_view n) {
        for (size_t i = 0; i + 4 <= compat.size(); i += 4)
            if (brand_is(compat.data() + i, n)) return true;
        return brand_is(major, n);
    };
    if (picture_brand(major)) {
        if (brand_is(major, "avif") || brand_is(major, "avis")) return "avif";
        if (brand_is(major, "mif1") || brand_is(major, "msf1") || brand_is(major, "mif2")) {
            if (has("heic") || has("heix")) return "heic";
            if (has("avif")) return "avif";
            return "heif";
        }
        return "heic";
    }
    if (brand_is(major, "M4A ") || brand_is(major, "M4B ") || brand_is(major, "M4P ")) return "m4a";
    if (brand_is(major, "M4V ") || brand_is(major, "M4VH") || brand_is(major, "M4VP")) return "m4v";
    if (brand_is(major, "qt  ")) return "mov";
    if (std::memcmp(major, "3g2", 3) == 0 || std::memcmp(major, "kddi", 4) == 0) return "3g2";
    if (std::memcmp(major, "3gp", 3) == 0 || std::memcmp(major, "3gg", 3) == 0 || std::memcmp(major, "3gs", 3) == 0 ||
        std::memcmp(major, "3ge", 3) == 0)
        return "3gp";
    if (brand_is(major, "crx ")) return "cr3";
    return "mp4";
}

bool wanted(FormatType type, std::string_view ext) {
    const bool picture = ext == "heic" || ext == "heif" || ext == "avif";
    switch (type) {
    case FormatType::IsoPicture: return picture;
    case FormatType::IsoM4a: return ext == "m4a";
    case FormatType::Iso3gp: return ext == "3gp" || ext == "3g2";
    default: return !picture;  // IsoMedia: movies and recordings
    }
}

ExtractResult extract_iso_media(const ExtractInput& in) {
    const FarView far(in);
    const auto ftyp_size = far.be32(-4);
    if (!ftyp_size || *ftyp_size < 16 || *ftyp_size > kLongestFileType) return skip(in);
    const auto ftyp = far.bytes(-4, *ftyp_size);
    if (ftyp.empty()) return skip(in);
    const std::string ext = extension_of(ftyp.data() + 8, ftyp.subspan(16));
    if (!wanted(in.spec->type, ext)) return skip(in);

    const BoxWalk w = walk_boxes(in, -4, "ftyp", false);
    if (w.how != BoxWalk::Ended) return skip(in);
    const bool picture = in.spec->type == FormatType::IsoPicture;
    if (!(w.seen & (picture ? kSawMeta : kSawMoov))) return skip(in);
    in.spec->extension = ext;
    in.recorder->record(*in.spec, in.device_offset(0) - 4, w.size);
    return go_on(in, w.size - 4);
}

FormatRow iso_row(const char* ext, FormatType type) {
    // Videos run to gigabytes; the end is found without a window.
    FormatRow r{ext, type, bytes_of("ftyp"), {}, 64 * platform::kGiB, {}, true, extract_iso_media};
    r.header_offset = 4;
    r.fetches = true;
    return r;
}

}  // namespace

FormatDefinition iso_media_format() {
    const FormatRow movies = iso_row("mp4", FormatType::IsoMedia);
    return {movies, {{"mp4", movies}, {"m4a", iso_row("m4a", FormatType::IsoM4a)}, {"3gp", iso_row("3gp", FormatType::Iso3gp)}}};
}

FormatDefinition iso_picture_format() {
    const FormatRow pictures = iso_row("heic", FormatType::IsoPicture);
    return {pictures, {{"heic", pictures}, {"heif", pictures}, {"avif", pictures}}};
}

}  // namespace quen::cdr::fmt
