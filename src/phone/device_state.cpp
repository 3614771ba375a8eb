#include "phone/device_state.h"

namespace quen::phone {

const char* device_state_name(DeviceState state) {
    switch (state) {
        case DeviceState::Ready: return "Ready";
        case DeviceState::NotAuthorized: return "NotAuthorized";
        case DeviceState::NoDevice: break;
    }
    return "NoDevice";
}

DeviceState parse_device_listing(std::string_view listing) {
    DeviceState result = DeviceState::NoDevice;
    std::string_view rest = listing;
    while (!rest.empty()) {
        const std::size_t lf = rest.find('\n');
        const std::string_view line = rest.substr(0, lf);
        rest = lf == std::string_view::npos ? std::string_view{} : rest.substr(lf + 1);

        if (line.find("List of devices attached") != std::string_view::npos) {
            result = DeviceState::NoDevice;
        } else if (line.find("offline") != std::string_view::npos ||
                   line.find("unauthorized") != std::string_view::npos) {
            return DeviceState::NotAuthorized;
        } else if (line.find("device") != std::string_view::npos) {
            return DeviceState::Ready;
        }
    }
    return result;
}

}  // namespace quen::phone
