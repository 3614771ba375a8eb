// QuickTime movie: a sequence of atoms, each a BE u32 size (counting the
// whole atom) and a 4-byte type. The header found is the type of an atom
// ("moov", or "pnot" for a preview), so the file starts 4 bytes before the hit.
// The walk goes over top-level atoms of known types; a movie needs "mdat".
#include <cstring>

#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

bool walks_on(const uint8_t* type) {
    static const char* const kTypes[] = {"free", "mdat", "wide", "PICT", "trak", "moov"};
    for (const char* t : kTypes)
        if (std::memcmp(type, t, 4) == 0) return true;
    return std::memcmp(type, "mp3", 3) == 0;
}

ExtractResult extract_quicktime(const ExtractInput& in) {
    // The atom's size lies before the hit; without those bytes there is no file.
    if (in.before < 4) return skip(in);
    // v covers [hit - 4, hit + r); offsets in it are 4 more than from the hit.
    const ByteView v(in.hit - 4, in.available + 4);
    const uint64_t end = v.size();  // r + 4
    const uint64_t max = in.spec->max_length;
    uint64_t atom = 0, total = 0;
    bool mdat = false;
    auto rel = [](uint64_t at) { return at >= 4 ? at - 4 : 0; };  // offset from the hit
    for (;;) {
        const auto size = v.be32(atom);
        if (!size) return std::nullopt;
        if (*size == 0 || *size > max) return go_on(in, rel(atom + 8));
        total += *size;
        if (total > end) {
            if (end < max) return std::nullopt;
            return go_on(in, rel(atom + 8));
        }
        atom = total;
        if (end - atom > 4) {
            if (!v.has(atom + 4, 4)) {
                if (mdat) break;
                return go_on(in, rel(atom));
            }
            const uint8_t* type = v.data() + atom + 4;
            if (std::memcmp(type, "mdat", 4) == 0) mdat = true;
            if (walks_on(type)) continue;
            if (mdat) break;
            return go_on(in, rel(atom));
        }
        if (mdat) break;
        return go_on(in, rel(atom));
    }
    in.recorder->record(*in.spec, in.device_offset(0) - 4, total);
    return go_on(in, rel(total));
}

}  // namespace

FormatDefinition quicktime_format() {
    const FormatRow movie{"mov", FormatType::Mov, bytes_of("moov"), {}, 40 * kMiB, {}, true, extract_quicktime};
    const FormatRow preview{"mov", FormatType::Vjpeg, bytes_of("pnot"), {}, 40 * kMiB, {}, true, extract_quicktime};
    return {movie, {{"vjpeg", preview}, {"mov", movie}}};
}

}  // namespace quen::cdr::fmt
