#pragma once
// The one state a device listing is reduced to, and the reduction itself.
#include <string_view>

namespace quen::phone {

enum class DeviceState : int { NoDevice = 0, Ready = 1, NotAuthorized = 2 };

// What the connect page shows: Loading while an acquisition runs, else the
// DeviceState value it ended with.
using LoadState = int;
constexpr LoadState kLoading = -1;

// "NoDevice", "Ready", "NotAuthorized".
const char* device_state_name(DeviceState state);

// Reduces the output of "adb devices" to a state. The output is taken as bytes,
// split at line feeds (a carriage return before it stays in the line, harmless
// since only substrings are searched):
//   - a line containing "List of devices attached" is the header (it holds the
//     word "device" itself, so this test comes first): NoDevice so far;
//   - else the first line containing "offline" or "unauthorized" gives
//     NotAuthorized, the first containing "device" gives Ready;
//   - every other line (blank lines, daemon start-up notices) is skipped.
// The first device line decides; empty or unrecognised output is NoDevice.
DeviceState parse_device_listing(std::string_view listing);

}  // namespace quen::phone
