#include "ui/text/size_time_text.h"

#include <cstdlib>
#include <string_view>

#include "cdr/disks/cdr_node.h"
#include "platform/local_time.h"
#include "platform/utf8.h"

namespace quen::ui {
namespace {

constexpr int64_t kLastSecond = 32535194399;  // 3000-12-31 23:59:59 UTC
constexpr size_t kTimeTextMax = 19;

}  // namespace

std::string size_text(uint64_t bytes) {
    // The same steps as the disks' text; only the smallest unit is shorter.
    std::string s = cdr::size_text(bytes);
    constexpr std::string_view kByte = " Byte";
    if (s.size() >= kByte.size() && s.compare(s.size() - kByte.size(), kByte.size(), kByte) == 0)
        s.replace(s.size() - kByte.size(), kByte.size(), " B");
    return s;
}

std::string time_text(int64_t seconds, const char* pattern) {
    if (seconds < 0 || seconds > kLastSecond) seconds = 0;
    std::string s = platform::local_time_text(pattern, static_cast<std::time_t>(seconds));
    if (s.size() > kTimeTextMax) s.resize(kTimeTextMax);
    return s;
}

std::string time_text_from_millis(const std::string& millis) {
    const long long ms = std::strtoll(millis.c_str(), nullptr, 10);
    return time_text(ms / 1000, "%Y-%m-%d %H:%M:%S");
}

bool is_utf8_text(const uint8_t* bytes, size_t length) {
    if (!bytes) return false;
    const std::string_view s(reinterpret_cast<const char*>(bytes), length);
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<uint8_t>(s[i]);
        if (b < 0x80) {
            if (b != '\t' && b != '\n' && b != '\r' && (b < 0x20 || b > 0x7E)) return false;
            ++i;
            continue;
        }
        size_t ill = 0;
        const size_t n = platform::utf8_sequence_length(s, i, ill);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

}  // namespace quen::ui
