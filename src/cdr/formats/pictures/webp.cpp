// WebP: a RIFF file of form "WEBP" whose first chunk is "VP8 " (lossy),
// "VP8L" (lossless) or "VP8X" (extended: alpha, animation, metadata). The RIFF
// size gives the end; the chunks are walked up to it (riff_chunks.h).
#include "cdr/formats/format_util.h"
#include "cdr/formats/riff_chunks.h"

namespace quen::cdr::fmt {

namespace {

ExtractResult extract_webp(const ExtractInput& in) {
    const FarView far(in);
    const auto field = far.le32(4);
    if (!field || *field < 4) return skip(in);
    const uint64_t size = uint64_t{*field} + 8;
    if (size > in.spec->max_length) return skip(in);
    if (!far.equals(12, "VP8 ") && !far.equals(12, "VP8L") && !far.equals(12, "VP8X")) return skip(in);
    if (!riff_chunks_reach(in, size) || !far.reaches(0, size)) return skip(in);
    record_at(in, 0, size);
    return size;
}

}  // namespace

FormatDefinition webp_format() {
    // "RIFF", any size, "WEBP": the RIFF row passes these over.
    FormatRow row{"webp", FormatType::Webp, bytes_of("RIFF????WEBP"), {}, 1 * platform::kGiB, {}, true, extract_webp};
    row.fetches = true;
    return {row, {{"webp", row}}};
}

}  // namespace quen::cdr::fmt
