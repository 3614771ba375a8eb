#pragma once
// What the phone says about itself: its make, model and Android version, read
// once per run from "getprop" and shown to the user beside the root method.
#include <map>
#include <string>
#include <string_view>

#include "phone/device_link.h"

namespace quen::phone {

struct DeviceInfo {
    std::string serial;
    std::string manufacturer;     // ro.product.manufacturer
    std::string model;            // ro.product.model
    std::string android_version;  // ro.build.version.release ("14")
    int sdk = 0;                  // ro.build.version.sdk (34); 0 when unknown
    bool debuggable = false;      // ro.debuggable=1: a userdebug or eng build, where "adb root" works
};

// The "[key]: [value]" lines of getprop's output; other lines are skipped.
std::map<std::string, std::string> parse_getprop(std::string_view output);

DeviceInfo device_info_from_props(const std::map<std::string, std::string>& props);

// "getprop" on the phone, reduced to DeviceInfo (serial from the link).
DeviceInfo read_device_info(const DeviceLink& link);

// "Google Pixel 7, Android 14 (API 34)"; the parts that are known.
std::string describe_device(const DeviceInfo& info);

}  // namespace quen::phone
