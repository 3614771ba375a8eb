// RIFF (AVI and WAVE): "RIFF", a u32 size counting the bytes after this
// 8-byte head, then the form type ("AVI " followed by a "LIST" chunk, or
// "WAVE"). The size field alone gives the file's end, so a RIFF file is never
// completed through a disk window: one larger than the bytes given is skipped.
#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

const char* wanted_kind(FormatType type) {
    switch (type) {
    case FormatType::Avi: return "avi";
    case FormatType::Wav: return "wav";
    default: return nullptr;  // Riff: any
    }
}

ExtractResult extract_riff(const ExtractInput& in) {
    const ByteView v(in);
    const FormatType type = in.spec->type;
    if (type == FormatType::Riff || type == FormatType::Wav) in.spec->extension = "rif";
    const auto field = v.le32(4);
    if (!field || *field < 1) return skip(in);
    const uint64_t size = uint64_t{*field} + 8;
    if (size > in.spec->max_length || size > v.size()) return skip(in);

    const char* kind = nullptr;
    if (v.equals(8, "AVI")) {
        if (!v.equals(12, "LIST")) return skip(in);
        kind = "avi";
    } else if (v.equals(8, "WAVE")) {
        kind = "wav";
    } else {
        return skip(in);
    }
    in.spec->extension = kind;
    const char* want = wanted_kind(type);
    if (!want || std::string_view(want) == kind) record_at(in, 0, size);
    return size;
}

}  // namespace

FormatDefinition riff_format() {
    auto row = [](const char* ext, FormatType type) {
        return FormatRow{ext, type, bytes_of("RIFF"), bytes_of("INFO"), 20 * kMiB, {}, true, extract_riff};
    };
    const FormatRow any = row("rif", FormatType::Riff);
    return {any, {{"avi", row("avi", FormatType::Avi)}, {"rif", any}, {"wav", row("wav", FormatType::Wav)}}};
}

}  // namespace quen::cdr::fmt
