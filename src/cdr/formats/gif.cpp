// GIF87a / GIF89a: "GIF8" then "7a" or "9a"; the file ends with the trailer
// byte 3B after a zero-length block terminator (00 3B).
#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

ExtractResult extract_gif(const ExtractInput& in) {
    static const Pattern kTrailer = make_pattern(std::string_view("\x00\x3B", 2));
    const ByteView v(in);
    if (v.size() < 6) return std::nullopt;
    if (!v.equals(4, "9a") && !v.equals(4, "7a")) return 4;
    const auto end = v.find(footer_or(in, kTrailer), 6, std::min(v.size() - 6, in.spec->max_length));
    if (!end) return std::nullopt;
    const uint64_t size = *end + 2;
    record_at(in, 0, size);
    return size;
}

}  // namespace

FormatDefinition gif_format() {
    const FormatRow row{"gif", FormatType::Gif, bytes_of("GIF8"), {0x00, 0x3B}, 1 * kMiB, {{0x00, 0x00, 0x3B}},
                        true, extract_gif};
    return {row, {{"gif", row}}};
}

}  // namespace quen::cdr::fmt
