#pragma once
// The top-level boxes of an ISO base media file (MP4, M4A, 3GP, HEIC) or a
// QuickTime movie: a BE u32 size counting the whole box (1: a u64 size follows
// the type; 0: the box runs to the end of the disk), then a 4-byte type. The
// walk reads only the box headers, fetching them from the device when the
// file is longer than the bytes given, so a movie of gigabytes is found
// without reading it. The file ends after the last box that belongs to it:
// the first bytes that are not a known top-level box (the zeros after the
// file, or another file) end it.
#include <cstdint>
#include <cstring>

#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

// Box types as bits, for what the walk saw.
enum BoxSeen : uint32_t { kSawMoov = 1, kSawMdat = 2, kSawMeta = 4 };

struct BoxWalk {
    enum How { Ended, Cut, Invalid } how = Invalid;
    uint64_t size = 0;  // bytes from the file's start to the end of its last box
    uint32_t seen = 0;  // BoxSeen bits
    int boxes = 0;
};

// Whether a type may stand at the top level of a file.
inline bool top_level_box(const uint8_t* type, bool quicktime) {
    static const char* const kIso[] = {"moov", "mdat", "free", "skip", "wide", "uuid", "meta", "pdin", "moof",
                                       "mfra", "sidx", "ssix", "styp", "emsg", "prft", "udta", "pnot", "PICT",
                                       "jumb", "sefd"};
    for (const char* t : kIso)
        if (std::memcmp(type, t, 4) == 0) return true;
    // QuickTime also knew track and MP3 atoms at the top.
    return quicktime && (std::memcmp(type, "trak", 4) == 0 || std::memcmp(type, "mp3", 3) == 0);
}

// Walks the boxes of a file starting `start` bytes from the hit (negative:
// before it). The first box must be `first` ("ftyp", or any top-level box
// when empty).
inline BoxWalk walk_boxes(const ExtractInput& in, int64_t start, std::string_view first, bool quicktime) {
    constexpr int kMostBoxes = 100000;
    const FarView far(in);
    const uint64_t max = in.spec->max_length;
    const uint64_t file_at = in.device_offset(0) + static_cast<uint64_t>(start);  // wraps back for start < 0
    BoxWalk w;
    uint64_t pos = 0;
    for (; w.boxes < kMostBoxes; ++w.boxes) {
        const int64_t rel = start + static_cast<int64_t>(pos);
        const auto head = far.bytes(rel, 8);
        if (head.empty()) break;  // the disk ends right after the file
        uint8_t type[4];
        std::memcpy(type, head.data() + 4, 4);
        const uint32_t size32 = (uint32_t{head[0]} << 24) | (uint32_t{head[1]} << 16) | (uint32_t{head[2]} << 8) | head[3];
        const bool is_first = w.boxes == 0;
        if (is_first ? (!first.empty() ? std::memcmp(type, first.data(), 4) != 0 : !top_level_box(type, quicktime))
                     : !top_level_box(type, quicktime))
            break;
        uint64_t size = size32, header = 8;
        if (size32 == 1) {
            const auto big = far.be64(rel + 8);
            if (!big) break;
            size = *big;
            header = 16;
        } else if (size32 == 0) {
            // To the end of the disk (a recording that was never closed).
            if (in.range_end == UINT64_MAX || in.range_end <= file_at + pos) break;
            size = in.range_end - (file_at + pos);
        }
        if (size < header) break;
        if (size > max || pos + size > max) {
            w.how = BoxWalk::Invalid;
            return w;
        }
        if (!far.reaches(rel, size)) {
            w.how = BoxWalk::Cut;
            return w;
        }
        if (std::memcmp(type, "moov", 4) == 0) w.seen |= kSawMoov;
        if (std::memcmp(type, "mdat", 4) == 0) w.seen |= kSawMdat;
        if (std::memcmp(type, "meta", 4) == 0) w.seen |= kSawMeta;
        pos += size;
    }
    w.size = pos;
    w.how = w.boxes > 0 ? BoxWalk::Ended : BoxWalk::Invalid;
    return w;
}

}  // namespace quen::cdr::fmt
