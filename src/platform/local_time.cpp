#include "platform/local_time.h"

#include <limits>

namespace quen::platform {

std::string local_time_text(const char* pattern, std::time_t when) {
    std::tm tm{};
    if (!localtime_r(&when, &tm)) return {};
    char buf[256];
    const size_t length = std::strftime(buf, sizeof buf, pattern, &tm);
    return std::string(buf, length);
}

std::string local_time_text(const char* pattern) {
    return local_time_text(pattern, std::time(nullptr));
}

std::string local_time_from_millis(int64_t millis) {
    // Floor division so that negative moments fall into the right second.
    int64_t secs = millis / 1000;
    if (millis % 1000 < 0) --secs;
    if (secs > std::numeric_limits<std::time_t>::max() || secs < std::numeric_limits<std::time_t>::min())
        return {};
    return local_time_text("%Y-%m-%d %H:%M:%S", static_cast<std::time_t>(secs));
}

}  // namespace quen::platform
