// RIFF (AVI and WAVE): "RIFF", a u32 size counting the bytes after this
// 8-byte head, then the form type ("AVI " followed by a "LIST" chunk, or
// "WAVE"). The size field gives the file's end; the chunks are walked up to
// it (riff_chunks.h), so a long recording is found without reading it whole.
#include "cdr/formats/format_util.h"
#include "cdr/formats/riff_chunks.h"

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
    const FarView far(in);
    const FormatType type = in.spec->type;
    if (type == FormatType::Riff || type == FormatType::Wav) in.spec->extension = "rif";
    const auto field = far.le32(4);
    if (!field || *field < 1) return skip(in);
    const uint64_t size = uint64_t{*field} + 8;
    if (size > in.spec->max_length) return skip(in);

    const char* kind = nullptr;
    if (far.equals(8, "AVI")) {
        if (!far.equals(12, "LIST")) return skip(in);
        kind = "avi";
    } else if (far.equals(8, "WAVE")) {
        kind = "wav";
    } else {
        return skip(in);
    }
    // A file whose chunks do not add up to its size, or that the disk's end
    // cuts, is not whole.
    if (!riff_chunks_reach(in, size) || !far.reaches(0, size)) return skip(in);
    in.spec->extension = kind;
    const char* want = wanted_kind(type);
    if (!want || std::string_view(want) == kind) record_at(in, 0, size);
    return size;
}

}  // namespace

FormatDefinition riff_format() {
    auto row = [](const char* ext, FormatType type) {
        // The size field allows 4 GiB; the end is found without a window.
        FormatRow r{ext, type, bytes_of("RIFF"), bytes_of("INFO"), 4 * platform::kGiB + 8, {}, true, extract_riff};
        r.fetches = true;
        return r;
    };
    const FormatRow any = row("rif", FormatType::Riff);
    return {any, {{"avi", row("avi", FormatType::Avi)}, {"rif", any}, {"wav", row("wav", FormatType::Wav)}}};
}

}  // namespace quen::cdr::fmt
