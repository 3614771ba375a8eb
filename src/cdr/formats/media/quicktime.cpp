// QuickTime movie without a file-type box: a sequence of atoms, each a BE u32
// size (counting the whole atom) and a 4-byte type. The header found is the
// type of the first atom ("moov", or "pnot" for a preview), so the file
// starts 4 bytes before the hit, and quick mode looks for it 4 bytes into
// each block. The atoms are walked as boxes (iso_boxes.h); a movie needs
// "mdat". Movies that begin with a file-type box are the ISO media row's.
#include "cdr/formats/format_util.h"
#include "cdr/formats/iso_boxes.h"

namespace quen::cdr::fmt {

namespace {

ExtractResult extract_quicktime(const ExtractInput& in) {
    const BoxWalk w = walk_boxes(in, -4, {}, true);
    if (w.how != BoxWalk::Ended || !(w.seen & kSawMdat)) return skip(in);
    in.recorder->record(*in.spec, in.device_offset(0) - 4, w.size);
    return go_on(in, w.size - 4);
}

}  // namespace

FormatDefinition quicktime_format() {
    auto row = [](FormatType type, const char* header) {
        // Movies run to gigabytes; the end is found without a window.
        FormatRow r{"mov", type, bytes_of(header), {}, 64 * platform::kGiB, {}, true, extract_quicktime};
        r.header_offset = 4;
        r.fetches = true;
        return r;
    };
    const FormatRow movie = row(FormatType::Mov, "moov");
    return {movie, {{"vjpeg", row(FormatType::Vjpeg, "pnot")}, {"mov", movie}}};
}

}  // namespace quen::cdr::fmt
