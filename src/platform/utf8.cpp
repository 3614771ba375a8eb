#include "platform/utf8.h"

#include <cstdint>

namespace quen::platform {

size_t utf8_sequence_length(std::string_view s, size_t i, size_t& bad) {  // s = bytes, i = at, bad = ill_formed
    const auto b0 = static_cast<uint8_t>(s[i]);
    bad = 1;
    if (b0 < 0x80) return 1;
    size_t need;
    uint8_t lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) need = 1;
    else if (b0 == 0xE0) { need = 2; lo = 0xA0; }
    else if (b0 >= 0xE1 && b0 <= 0xEC) need = 2;
    else if (b0 == 0xED) { need = 2; hi = 0x9F; }
    else if (b0 >= 0xEE && b0 <= 0xEF) need = 2;
    else if (b0 == 0xF0) { need = 3; lo = 0x90; }
    else if (b0 >= 0xF1 && b0 <= 0xF3) need = 3;
    else if (b0 == 0xF4) { need = 3; hi = 0x8F; }
    else return 0;
    for (size_t k = 1; k <= need; ++k) {
        if (i + k >= s.size()) { bad = k; return 0; }
        const auto b = static_cast<uint8_t>(s[i + k]);
        const uint8_t l = (k == 1) ? lo : 0x80, h = (k == 1) ? hi : 0xBF;
        if (b < l || b > h) { bad = k; return 0; }
    }
    return need + 1;
}

bool is_valid_utf8(std::string_view bytes) {
    size_t bad;
    for (size_t i = 0; i < bytes.size();) {
        size_t n = utf8_sequence_length(bytes, i, bad);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string sanitize_utf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    size_t bad;
    for (size_t i = 0; i < bytes.size();) {
        size_t n = utf8_sequence_length(bytes, i, bad);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            i += bad;
        } else {
            out.append(bytes.substr(i, n));
            i += n;
        }
    }
    return out;
}

}  // namespace quen::platform
