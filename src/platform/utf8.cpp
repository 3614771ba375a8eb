#include "platform/utf8.h"

#include <cstdint>

namespace quen::platform {

size_t utf8_sequence_length(std::string_view bytes, size_t at, size_t& ill_formed) {
    const auto lead = static_cast<uint8_t>(bytes[at]);
    ill_formed = 1;
    if (lead < 0x80) return 1;
    // How many continuation bytes the lead byte asks for, and the range the
    // first of them must lie in (narrower after E0, ED, F0 and F4, which is
    // what rules out overlongs, surrogates and code points above U+10FFFF).
    size_t continuation;
    uint8_t first_low = 0x80, first_high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) continuation = 1;
    else if (lead == 0xE0) { continuation = 2; first_low = 0xA0; }
    else if (lead >= 0xE1 && lead <= 0xEC) continuation = 2;
    else if (lead == 0xED) { continuation = 2; first_high = 0x9F; }
    else if (lead >= 0xEE && lead <= 0xEF) continuation = 2;
    else if (lead == 0xF0) { continuation = 3; first_low = 0x90; }
    else if (lead >= 0xF1 && lead <= 0xF3) continuation = 3;
    else if (lead == 0xF4) { continuation = 3; first_high = 0x8F; }
    else return 0;
    for (size_t k = 1; k <= continuation; ++k) {
        if (at + k >= bytes.size()) { ill_formed = k; return 0; }
        const auto next = static_cast<uint8_t>(bytes[at + k]);
        const uint8_t low = (k == 1) ? first_low : 0x80, high = (k == 1) ? first_high : 0xBF;
        if (next < low || next > high) { ill_formed = k; return 0; }
    }
    return continuation + 1;
}

bool is_valid_utf8(std::string_view bytes) {
    size_t ill_formed;
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = utf8_sequence_length(bytes, at, ill_formed);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

std::string sanitize_utf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    size_t ill_formed;
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = utf8_sequence_length(bytes, at, ill_formed);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            at += ill_formed;
        } else {
            out.append(bytes.substr(at, length));
            at += length;
        }
    }
    return out;
}

}  // namespace quen::platform
