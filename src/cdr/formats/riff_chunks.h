#pragma once
// The chunks of a RIFF file (AVI, WAVE, WebP): "RIFF", a u32 size counting
// the bytes after this 8-byte head, the form type, then chunks of a 4-byte
// id, a u32 size and the data, padded to an even length. The size field
// gives the file's end; walking the chunks up to it (a few header bytes each,
// fetched from the device when the file is long) shows that the file is
// still whole there, not overwritten after its first cluster.
#include <cstdint>

#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

inline bool is_fourcc(std::span<const uint8_t> id) {
    for (uint8_t c : id)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

// Whether the chunks from byte 12 of the file (at the hit) reach exactly
// `size` bytes, the whole file. The last chunk's pad byte may be missing.
inline bool riff_chunks_reach(const ExtractInput& in, uint64_t size) {
    constexpr int kMostChunks = 100000;
    const FarView far(in);
    uint64_t at = 12;
    for (int n = 0; n < kMostChunks; ++n) {
        if (at == size || (at == size + 1 && n > 0)) return true;
        if (at + 8 > size) return false;
        const auto head = far.bytes(static_cast<int64_t>(at), 8);
        if (head.empty() || !is_fourcc(head.first(4))) return false;
        const uint64_t len = uint64_t{head[4]} | (uint64_t{head[5]} << 8) | (uint64_t{head[6]} << 16) |
                             (uint64_t{head[7]} << 24);
        at += 8 + len + (len & 1);
    }
    return false;
}

}  // namespace quen::cdr::fmt
