#include "records/free_space_text_check.h"

namespace quen {

namespace {

bool in(uint8_t b, uint8_t lo, uint8_t hi) { return b >= lo && b <= hi; }

}  // namespace

bool passes_text_check(std::span<const uint8_t> bytes) {
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const uint8_t b = bytes[i];
        if (b == 0x09 || b == 0x0A || b == 0x0D || in(b, 0x20, 0x7E)) {
            ++i;
            continue;
        }
        // Range of the second byte and number of bytes in the sequence.
        uint8_t lo = 0x80, hi = 0xBF;
        size_t len = 0;
        if (in(b, 0xC2, 0xDF)) {
            len = 2;
        } else if (b == 0xE0) {
            len = 3, lo = 0xA0;
        } else if (in(b, 0xE1, 0xEC) || b == 0xEE || b == 0xEF) {
            len = 3;
        } else if (b == 0xED) {
            len = 3, hi = 0x9F;
        } else if (b == 0xF0) {
            len = 4, lo = 0x90;
        } else if (in(b, 0xF1, 0xF3)) {
            len = 4;
        } else if (b == 0xF4) {
            len = 4, hi = 0x8F;
        } else {
            return false;
        }
        if (n - i < len) return false;
        if (!in(bytes[i + 1], lo, hi)) return false;
        for (size_t j = 2; j < len; ++j)
            if (!in(bytes[i + j], 0x80, 0xBF)) return false;
        i += len;
    }
    return true;
}

}  // namespace quen
