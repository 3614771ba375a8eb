// AMR and AMR-WB speech (voice recorders, MMS): "#!AMR\n" or "#!AMR-WB\n",
// then frames, each a header byte (bit 7 zero, frame type in bits 6..3, the
// quality bit 2 set, bits 1..0 zero) and the frame's speech bits, whose
// length the frame type fixes. The frames are walked until a byte that is no
// frame header: encoders mark every frame good, so the zeros after a file
// (quality bit clear) end it.
#include <array>

#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

constexpr int kFewestFrames = 5;

// Bytes per frame, header included, by frame type; 0 for a type that does
// not occur in a file.
constexpr std::array<uint8_t, 16> kNarrow{13, 14, 16, 18, 20, 21, 27, 32, 6, 0, 0, 0, 0, 0, 0, 1};
constexpr std::array<uint8_t, 16> kWide{18, 24, 33, 37, 41, 47, 51, 59, 61, 6, 0, 0, 0, 0, 1, 1};

ExtractResult extract_amr(const ExtractInput& in) {
    const bool wide = in.spec->type == FormatType::AmrWb;
    const std::array<uint8_t, 16>& sizes = wide ? kWide : kNarrow;
    const ByteView v(in);
    uint64_t p = in.spec->header.size();
    int frames = 0;
    for (;;) {
        const auto h = v.u8(p);
        if (!h) {
            if (!no_more_bytes(in)) return std::nullopt;
            break;
        }
        if ((*h & 0x83) != 0 || !(*h & 0x04)) break;
        const uint8_t len = sizes[(*h >> 3) & 0x0F];
        if (len == 0) break;
        if (!v.has(p, len)) {
            if (!no_more_bytes(in)) return std::nullopt;
            break;
        }
        p += len;
        ++frames;
    }
    if (frames < kFewestFrames) return skip(in);
    record_at(in, 0, p);
    return p;
}

}  // namespace

FormatDefinition amr_format() {
    const FormatRow row{"amr", FormatType::Amr, bytes_of("#!AMR\n"), {}, 16 * kMiB, {}, true, extract_amr};
    return {row, {{"amr", row}}};
}

FormatDefinition amr_wb_format() {
    const FormatRow row{"awb", FormatType::AmrWb, bytes_of("#!AMR-WB\n"), {}, 16 * kMiB, {}, true, extract_amr};
    return {row, {{"awb", row}, {"amr-wb", row}}};
}

}  // namespace quen::cdr::fmt
