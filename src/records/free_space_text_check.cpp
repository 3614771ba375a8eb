#include "records/free_space_text_check.h"

#include <string_view>

#include "platform/utf8.h"

namespace quen::records {

bool passes_text_check(std::span<const uint8_t> bytes) {
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const uint8_t b = bytes[i];
        if (b == 0x09 || b == 0x0A || b == 0x0D || (b >= 0x20 && b <= 0x7E)) {
            ++i;
            continue;
        }
        size_t ill_formed = 0;
        const size_t len = platform::utf8_sequence_length(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), n), i, ill_formed);
        if (len < 2) return false;  // ill-formed, or a control byte other than tab and line ends
        i += len;
    }
    return true;
}

}  // namespace quen::records
