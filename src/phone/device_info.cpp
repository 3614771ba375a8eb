#include "phone/device_info.h"

#include <charconv>

namespace quen::phone {

std::map<std::string, std::string> parse_getprop(std::string_view output) {
    std::map<std::string, std::string> props;
    const std::string text = shell_text(output);
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t lf = rest.find('\n');
        const std::string_view line = rest.substr(0, lf);
        rest = lf == std::string_view::npos ? std::string_view{} : rest.substr(lf + 1);
        // [ro.product.model]: [Pixel 7]
        if (line.size() < 6 || line.front() != '[' || line.back() != ']') continue;
        const std::size_t key_end = line.find("]: [");
        if (key_end == std::string_view::npos) continue;
        props.emplace(std::string(line.substr(1, key_end - 1)),
                      std::string(line.substr(key_end + 4, line.size() - key_end - 5)));
    }
    return props;
}

DeviceInfo device_info_from_props(const std::map<std::string, std::string>& props) {
    const auto get = [&](const char* key) {
        const auto it = props.find(key);
        return it == props.end() ? std::string() : it->second;
    };
    DeviceInfo info;
    info.manufacturer = get("ro.product.manufacturer");
    info.model = get("ro.product.model");
    info.android_version = get("ro.build.version.release");
    const std::string sdk = get("ro.build.version.sdk");
    int value = 0;
    const auto [end, error] = std::from_chars(sdk.data(), sdk.data() + sdk.size(), value);
    if (error == std::errc() && end == sdk.data() + sdk.size()) info.sdk = value;
    info.debuggable = get("ro.debuggable") == "1";
    return info;
}

DeviceInfo read_device_info(const DeviceLink& link) {
    DeviceInfo info = device_info_from_props(parse_getprop(link.shell("getprop").output));
    info.serial = link.serial();
    return info;
}

std::string describe_device(const DeviceInfo& info) {
    std::string text = info.manufacturer;
    if (!info.model.empty()) {
        // Many models already start with the maker's name ("Samsung SM-A515F" is rare, "Pixel 7" is not).
        if (!text.empty() && info.model.rfind(text, 0) != 0) text += " ";
        else text.clear();
        text += info.model;
    }
    if (!info.android_version.empty() || info.sdk) {
        if (!text.empty()) text += ", ";
        text += "Android";
        if (!info.android_version.empty()) text += " " + info.android_version;
        if (info.sdk) text += " (API " + std::to_string(info.sdk) + ")";
    }
    return text.empty() ? "unknown phone" : text;
}

}  // namespace quen::phone
