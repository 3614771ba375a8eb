// The adb device listing reduced to a state: any bytes give one of the named
// states, and splitting the input at a line feed never changes the state of a
// listing whose first part already decides it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "phone/device_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    using quen::phone::DeviceState;
    const DeviceState state = quen::phone::parse_device_listing(text);
    if (static_cast<int>(state) < 0 || state > DeviceState::Unavailable || state == DeviceState::NoHelper)
        std::abort();
    // The first deciding line wins: a prefix ending at a line feed that already
    // decides must decide the same way.
    const std::size_t line_end = text.find('\n');
    if (line_end != std::string_view::npos) {
        const DeviceState first = quen::phone::parse_device_listing(text.substr(0, line_end + 1));
        if (first != DeviceState::NoDevice && first != state) std::abort();
    }
    return 0;
}
