// The adb device listing reduced to a state: any bytes give one of the three
// states, and splitting the input at a line feed never changes the state of a
// listing whose first part already decides it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "phone/device_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const quen::DeviceState s = quen::parse_device_listing(text);
    if (s != quen::DeviceState::NoDevice && s != quen::DeviceState::Ready && s != quen::DeviceState::NotAuthorized)
        std::abort();
    // The first deciding line wins: a prefix ending at a line feed that already
    // decides must decide the same way.
    const std::size_t lf = text.find('\n');
    if (lf != std::string_view::npos) {
        const quen::DeviceState first = quen::parse_device_listing(text.substr(0, lf + 1));
        if (first != quen::DeviceState::NoDevice && first != s) std::abort();
    }
    return 0;
}
